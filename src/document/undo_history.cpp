// The history's Win32 side: copies of the picture, the spool folder and its files, and restoring a level.
// The budget rules and the spool format are in undo_core.
#include "document/undo_history.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "base/scoped_handles.h"
#include "base/status_text.h"
#include "base/ui_thread.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_core.h"

UndoHistory g_undo;

static constexpr wchar_t kSnapshotSkipped[] = L"Warning: Low memory; Undo snapshot skipped.";
static constexpr wchar_t kUndoCleared[] = L"Warning: Low memory; Undo history cleared.";
static constexpr wchar_t kRedoCleared[] = L"Warning: Low memory; Redo history cleared.";
static constexpr wchar_t kReadBackFailed[] = L"Undo step could not be read back from disk.";

// The temporary folder with a trailing backslash, or empty.
static std::wstring TempFolder() {
    const DWORD needed = GetTempPathW(0, nullptr);
    if (needed == 0) return {};
    std::wstring path(needed, L'\0');
    const DWORD got = GetTempPathW(needed, path.data());
    if (got == 0 || got >= needed) return {};
    path.resize(got);
    if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path;
}

// Deletes the plain files of a folder, then the folder; subfolders are left alone.
static void RemoveFolderAndFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// A process that exists but may not be opened (another user's) counts as running.
static bool IsProcessRunning(DWORD pid) {
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
    if (!process.get()) return GetLastError() == ERROR_ACCESS_DENIED;
    return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

void RemoveStaleSpoolDirectories() {
    const std::wstring temp = TempFolder();
    if (temp.empty()) return;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((temp + L"kolvex_undo_*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        uint32_t pid = 0;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !ParseSpoolDirectoryName(found.cFileName, &pid))
            continue;
        if (pid == GetCurrentProcessId() || IsProcessRunning(pid)) continue;
        RemoveFolderAndFiles(temp + found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

static bool EnsureSpoolDirectory() {
    if (!g_undo.spoolDirectory.empty()) return true;
    const std::wstring temp = TempFolder();
    if (temp.empty()) return false;
    // A crashed run's folder may hold gigabytes; this is the moment its space is wanted.
    RemoveStaleSpoolDirectories();
    const std::wstring folder = temp + L"kolvex_undo_" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    g_undo.spoolDirectory = folder;
    return true;
}

static std::wstring MakeSpoolPath() {
    if (!EnsureSpoolDirectory()) return {};
    ++g_undo.spoolCounter;
    return g_undo.spoolDirectory + L"\\u_" + std::to_wstring(g_undo.spoolCounter) + L"_" +
           std::to_wstring(GetTickCount()) + L".tmp";
}

static void ReleasePixels(UndoEntry& entry) { std::vector<uint32_t>().swap(entry.pixels); }

// Writes the entry to a new spool file and frees its pixels; on failure the entry is unchanged.
static bool SpoolEntry(UndoEntry& entry) {
    if (entry.pixels.empty() || entry.pixels.size() * 4 != PictureBytes(entry.width, entry.height)) return false;
    const std::wstring path = MakeSpoolPath();
    if (path.empty()) return false;
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    bool ok = WriteSpoolStream(file, entry.pixels.data(), entry.width, entry.height);
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        DeleteFileW(path.c_str());
        return false;
    }
    entry.spoolPath = path;
    ReleasePixels(entry);
    return true;
}

static void DiscardEntry(UndoEntry& entry) {
    if (!entry.spoolPath.empty()) DeleteFileW(entry.spoolPath.c_str());
    entry.spoolPath.clear();
    ReleasePixels(entry);
}

static void RemoveBottom(std::vector<UndoEntry>& stack, size_t count) {
    count = std::min(count, stack.size());
    for (size_t i = 0; i < count; ++i)
        DiscardEntry(stack[i]);
    stack.erase(stack.begin(), stack.begin() + static_cast<std::ptrdiff_t>(count));
}

static uint64_t SpoolBytes(const std::vector<UndoEntry>& stack) {
    uint64_t sum = 0;
    for (const UndoEntry& e : stack)
        if (!e.spoolPath.empty()) sum += SpoolFileBytes(e.width, e.height);
    return sum;
}

static uint64_t MemoryBytes(const std::vector<UndoEntry>& stack) {
    uint64_t sum = 0;
    for (const UndoEntry& e : stack)
        sum += static_cast<uint64_t>(e.pixels.size()) * 4u;
    return sum;
}

uint64_t UndoMemoryBytes() { return MemoryBytes(g_undo.undo) + MemoryBytes(g_undo.redo); }

// What this stack's spool files may take: the disk budget less what the other stack already holds. The
// free space counts our own files as free, since they are what the budget is about.
static uint64_t DiskAllowance(const std::vector<UndoEntry>& other, uint64_t own) {
    if (!EnsureSpoolDirectory()) return 0;
    ULARGE_INTEGER freeToCaller{};
    if (!GetDiskFreeSpaceExW(g_undo.spoolDirectory.c_str(), &freeToCaller, nullptr, nullptr)) return 0;
    const uint64_t theirs = SpoolBytes(other);
    const uint64_t budget = SpoolDiskBudget(freeToCaller.QuadPart + own + theirs);
    return budget > theirs ? budget - theirs : 0;
}

// Spools the oldest levels of stack until its memory plus incoming fits limit; levels that cannot be spooled
// are given up from the bottom.
static void ApplyBudget(std::vector<UndoEntry>& stack, const std::vector<UndoEntry>& other, uint64_t incoming,
                        uint64_t limit) {
    if (MemoryBytes(stack) + incoming <= limit) return;
    std::vector<LevelCost> costs;
    costs.reserve(stack.size());
    for (const UndoEntry& e : stack)
        costs.push_back(
            {static_cast<uint64_t>(e.pixels.size()) * 4u, e.spoolPath.empty() ? 0 : SpoolFileBytes(e.width, e.height)});
    const BudgetLimits limits{limit, DiskAllowance(other, SpoolBytes(stack))};
    const size_t drop = KeepWithinBudget(costs, incoming, limits, [&](size_t i) { return SpoolEntry(stack[i]); });
    RemoveBottom(stack, drop);
}

void ClearUndoStack() { RemoveBottom(g_undo.undo, g_undo.undo.size()); }
void ClearRedoStack() { RemoveBottom(g_undo.redo, g_undo.redo.size()); }

void RemoveSpoolDirectory() {
    if (g_undo.spoolDirectory.empty()) return;
    RemoveFolderAndFiles(g_undo.spoolDirectory);
    g_undo.spoolDirectory.clear();
}

void ClearUndoHistory() {
    ClearUndoStack();
    ClearRedoStack();
    RemoveSpoolDirectory();
}

static bool HasPicture() { return g_canvas.pixels && g_canvas.width >= 1 && g_canvas.height >= 1; }

// A copy of the current picture; false when memory runs out.
static bool CaptureCanvas(UndoEntry* out) {
    const uint64_t bytes = PictureBytes(g_canvas.width, g_canvas.height);
    UndoEntry entry;
    if (!TryAllocatePixels(bytes / 4, &entry.pixels)) return false;
    std::memcpy(entry.pixels.data(), g_canvas.pixels, static_cast<size_t>(bytes));
    entry.width = g_canvas.width;
    entry.height = g_canvas.height;
    if (g_documentListener.composeFloating) g_documentListener.composeFloating(entry);
    *out = std::move(entry);
    return true;
}

// Appends without letting a failed growth of the stack escape; false leaves the stack as it was.
static bool TryAppend(std::vector<UndoEntry>& stack, UndoEntry&& entry) {
    try {
        stack.push_back(std::move(entry));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

static void SpoolWholeStack(std::vector<UndoEntry>& stack, const std::vector<UndoEntry>& other) {
    ApplyBudget(stack, other, 0, 0);
}

void PushUndoSnapshot() {
    AssertUiThread();
    GdiFlush();
    if (!HasPicture()) return;
    const uint64_t bytes = PictureBytes(g_canvas.width, g_canvas.height);
    RemoveBottom(g_undo.undo, LevelsToTrim(g_undo.undo.size()));
    // The redo levels go anyway; gone first, their files leave the disk budget to the undo stack.
    ClearRedoStack();
    ApplyBudget(g_undo.undo, g_undo.redo, bytes, kUndoMemoryBudget);
    UndoEntry entry;
    bool stored = CaptureCanvas(&entry);
    if (!stored) {
        SpoolWholeStack(g_undo.undo, g_undo.redo);
        stored = CaptureCanvas(&entry);
    }
    if (!stored || !TryAppend(g_undo.undo, std::move(entry))) SetStatusText(kStatusMessage, kSnapshotSkipped);
    // The caller changes the picture next, stored level or not, so the document is modified either way.
    MarkDocumentModified();
}

// The pixels of a spooled entry, read into out without changing the entry; true at once for one in memory.
static bool ReadBackLevel(const UndoEntry& entry, std::vector<uint32_t>* out) {
    if (entry.spoolPath.empty()) return entry.pixels.size() * 4 == PictureBytes(entry.width, entry.height);
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExW(entry.spoolPath.c_str(), GetFileExInfoStandard, &info)) return false;
    const uint64_t fileSize = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    // The size is checked before the buffer is allocated, so a damaged file cannot ask for gigabytes.
    if (fileSize != SpoolFileBytes(entry.width, entry.height)) return false;
    std::vector<uint32_t> pixels;
    if (!TryAllocatePixels(PictureBytes(entry.width, entry.height) / 4, &pixels)) return false;
    std::FILE* file = _wfopen(entry.spoolPath.c_str(), L"rb");
    if (!file) return false;
    const SpoolCheck check = ReadSpoolStream(file, fileSize, entry.width, entry.height, pixels.data());
    std::fclose(file);
    if (check != SpoolCheck::Ok) return false;
    out->swap(pixels);
    return true;
}

// Puts a level's pixels into the picture, making a new surface when the size differs. False, with the picture
// untouched, when that surface cannot be made.
static bool RestoreLevel(const UndoEntry& entry, const uint32_t* pixels) {
    const size_t bytes = static_cast<size_t>(PictureBytes(entry.width, entry.height));
    if (!HasPicture() || entry.width != g_canvas.width || entry.height != g_canvas.height) {
        CanvasImage fresh;
        if (!MakeCanvasSurface(entry.width, entry.height, &fresh)) return false;
        std::memcpy(fresh.pixels, pixels, bytes);
        ReplacePicture(fresh);
        return true;
    }
    GdiFlush();
    std::memcpy(g_canvas.pixels, pixels, bytes);
    MarkDocumentModified();
    AnnouncePictureReplaced();
    return true;
}

// Undo and Redo alike: the current picture goes onto `to`, the last level of `from` becomes the picture. Any
// failure before the picture changed leaves both stacks and the picture as they were.
static void StepThroughHistory(std::vector<UndoEntry>& from, std::vector<UndoEntry>& to, uint64_t toLimit,
                               const wchar_t* lowMemoryText) {
    UndoEntry& target = from.back();
    std::vector<uint32_t> loaded;
    if (!ReadBackLevel(target, &loaded)) {
        SetStatusText(kStatusMessage, kReadBackFailed);
        return;
    }
    const bool hadPicture = HasPicture();
    UndoEntry current;
    const bool captured = hadPicture && CaptureCanvas(&current);
    if (!RestoreLevel(target, target.spoolPath.empty() ? target.pixels.data() : loaded.data())) {
        ReportResizeFailure(ResizeResult::NoMemory, target.width, target.height);
        return;
    }
    DiscardEntry(target); // it is the picture now; its spool file has done its work
    from.pop_back();
    if (g_documentListener.dropPendingEdits) g_documentListener.dropPendingEdits();
    if (captured) {
        ApplyBudget(to, from, PictureBytes(current.width, current.height), toLimit);
        if (TryAppend(to, std::move(current))) return;
    }
    if (!hadPicture) return;
    RemoveBottom(to, to.size());
    SetStatusText(kStatusMessage, lowMemoryText);
}

void Undo() {
    AssertUiThread();
    GdiFlush();
    if (g_undo.undo.empty()) return;
    StepThroughHistory(g_undo.undo, g_undo.redo, kRedoMemoryBudget, kRedoCleared);
}

void Redo() {
    AssertUiThread();
    GdiFlush();
    if (g_undo.redo.empty()) return;
    StepThroughHistory(g_undo.redo, g_undo.undo, kUndoMemoryBudget, kUndoCleared);
}
