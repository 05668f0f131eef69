// The history's Win32 side: the levels and the shadow, the spool folder and its files, and restoring a level.
// The tile differences are in tile_core, the budget rules and the spool format in undo_core.
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
static constexpr wchar_t kDiskDropped[] = L"Warning: Low disk space; the oldest Undo steps were dropped.";

// UI thread only: the picture, with any floating selection stamped, at the last push, Undo or Redo.
static Shadow g_shadow;

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

static void ReleaseContent(UndoEntry& entry) { entry.content = {}; }

// Writes the entry to a new spool file and frees its content; on failure the entry is unchanged.
static bool SpoolEntry(UndoEntry& entry) {
    if (entry.open || !entry.spoolPath.empty()) return false;
    const std::wstring path = MakeSpoolPath();
    if (path.empty()) return false;
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    bool ok = WriteSpoolStream(file, entry.content);
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        DeleteFileW(path.c_str());
        return false;
    }
    entry.spoolPath = path;
    entry.spooled = ShapeOf(entry.content);
    ReleaseContent(entry);
    return true;
}

static void DiscardEntry(UndoEntry& entry) {
    if (!entry.spoolPath.empty()) DeleteFileW(entry.spoolPath.c_str());
    entry.spoolPath.clear();
    ReleaseContent(entry);
}

static void RemoveBottom(std::vector<UndoEntry>& stack, size_t count) {
    count = std::min(count, stack.size());
    for (size_t i = 0; i < count; ++i)
        DiscardEntry(stack[i]);
    stack.erase(stack.begin(), stack.begin() + static_cast<std::ptrdiff_t>(count));
}

// The spool file sizes, from the files themselves: the entries do not keep their tile lists once spooled.
static uint64_t SpoolBytes(const std::vector<UndoEntry>& stack) {
    uint64_t sum = 0;
    for (const UndoEntry& e : stack) {
        if (e.spoolPath.empty()) continue;
        WIN32_FILE_ATTRIBUTE_DATA info;
        if (GetFileAttributesExW(e.spoolPath.c_str(), GetFileExInfoStandard, &info))
            sum += uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    }
    return sum;
}

static uint64_t MemoryBytes(const std::vector<UndoEntry>& stack) {
    uint64_t sum = 0;
    for (const UndoEntry& e : stack)
        sum += e.content.MemoryBytes();
    return sum;
}

uint64_t UndoMemoryBytes() { return MemoryBytes(g_undo.undo) + MemoryBytes(g_undo.redo); }
uint64_t ShadowBytes() { return static_cast<uint64_t>(g_shadow.pixels.size()) * 4u; }

// What this stack's spool files may take: the disk budget less what the other stack already holds. The
// free space counts our own files as free, since they are what the budget is about.
static uint64_t DiskAllowance(uint64_t own, uint64_t theirs) {
    if (!EnsureSpoolDirectory()) return 0;
    ULARGE_INTEGER freeToCaller{};
    if (!GetDiskFreeSpaceExW(g_undo.spoolDirectory.c_str(), &freeToCaller, nullptr, nullptr)) return 0;
    const uint64_t budget = SpoolDiskBudget(freeToCaller.QuadPart + own + theirs);
    return budget > theirs ? budget - theirs : 0;
}

// Spools the oldest levels of stack until its memory plus incoming fits limit; levels that cannot be spooled
// are given up from the bottom, and the user is told.
static void ApplyBudget(std::vector<UndoEntry>& stack, const std::vector<UndoEntry>& other, uint64_t incoming,
                        uint64_t limit) {
    if (MemoryBytes(stack) + incoming <= limit) return;
    std::vector<LevelCost> costs;
    costs.reserve(stack.size());
    uint64_t own = 0;
    for (const UndoEntry& e : stack) {
        uint64_t file = 0;
        if (!e.spoolPath.empty()) {
            WIN32_FILE_ATTRIBUTE_DATA info;
            if (GetFileAttributesExW(e.spoolPath.c_str(), GetFileExInfoStandard, &info))
                file = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
        }
        own += file;
        costs.push_back({e.content.MemoryBytes(), file, e.spoolPath.empty() ? SpoolFileBytes(e.content) : file});
    }
    const BudgetLimits limits{limit, DiskAllowance(own, SpoolBytes(other))};
    const size_t drop = KeepWithinBudget(costs, incoming, limits, [&](size_t i) { return SpoolEntry(stack[i]); });
    RemoveBottom(stack, drop);
    if (drop > 0) SetStatusText(kStatusMessage, kDiskDropped);
}

// Without undo levels the shadow serves nothing; the next push takes it afresh.
void ClearUndoStack() {
    RemoveBottom(g_undo.undo, g_undo.undo.size());
    if (g_undo.redo.empty()) g_shadow = {};
}
void ClearRedoStack() { RemoveBottom(g_undo.redo, g_undo.redo.size()); }

void RemoveSpoolDirectory() {
    if (g_undo.spoolDirectory.empty()) return;
    RemoveFolderAndFiles(g_undo.spoolDirectory);
    g_undo.spoolDirectory.clear();
}

void ClearUndoHistory() {
    ClearRedoStack();
    ClearUndoStack();
    g_shadow = {};
    RemoveSpoolDirectory();
}

static bool HasPicture() { return g_canvas.pixels && g_canvas.width >= 1 && g_canvas.height >= 1; }

// The state a level records: the picture, with a floating selection's pixels stamped where it floats. Only a
// floating selection costs a copy of the picture.
struct ComposedPicture {
    PixelView view;
    std::vector<uint32_t> copy;
    bool floating = false;
};

static bool ComposePicture(ComposedPicture* out) {
    out->view = CanvasPixels();
    out->floating = g_documentListener.floatingPresent && g_documentListener.floatingPresent();
    if (!out->floating) return true;
    if (!TryAllocatePixels(PictureBytes(g_canvas.width, g_canvas.height) / 4, &out->copy)) return false;
    std::memcpy(out->copy.data(), g_canvas.pixels, out->copy.size() * 4);
    out->view = {out->copy.data(), g_canvas.width, g_canvas.height};
    if (g_documentListener.composeFloating) g_documentListener.composeFloating(out->view);
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

// Gives the open level its tiles: what the picture state x changed of the shadow. False without memory.
static bool CloseOpenLevel(const PixelView& x) {
    if (g_undo.undo.empty() || !g_undo.undo.back().open) return true;
    UndoEntry& top = g_undo.undo.back();
    if (!CloseLevel(&g_shadow, x, &top.content)) return false;
    top.open = false;
    return true;
}

// The history is a chain of differences: a level that cannot be kept makes every older one meaningless.
static void LoseUndoHistory() {
    ClearUndoStack();
    g_shadow = {};
    SetStatusText(kStatusMessage, kUndoCleared);
}

void PushUndoSnapshot() {
    AssertUiThread();
    GdiFlush();
    if (!HasPicture()) return;
    ComposedPicture x;
    bool composed = ComposePicture(&x);
    if (!composed) {
        SpoolWholeStack(g_undo.undo, g_undo.redo);
        composed = ComposePicture(&x);
    }
    bool closed = composed && CloseOpenLevel(x.view);
    if (composed && !closed) {
        SpoolWholeStack(g_undo.undo, g_undo.redo);
        closed = CloseOpenLevel(x.view);
    }
    if (!closed) LoseUndoHistory();
    RemoveBottom(g_undo.undo, LevelsToTrim(g_undo.undo.size()));
    // The redo levels go anyway; gone first, their files leave the disk budget to the undo stack.
    ClearRedoStack();
    ApplyBudget(g_undo.undo, g_undo.redo, 0, kUndoMemoryBudget);
    if (!g_shadow.Valid() && composed && !ResyncShadow(&g_shadow, x.view)) {
        SpoolWholeStack(g_undo.undo, g_undo.redo);
        (void)ResyncShadow(&g_shadow, x.view);
    }
    UndoEntry entry;
    entry.open = true;
    entry.content.width = g_canvas.width;
    entry.content.height = g_canvas.height;
    if (!composed || !g_shadow.Valid() || !TryAppend(g_undo.undo, std::move(entry)))
        SetStatusText(kStatusMessage, kSnapshotSkipped);
    // The caller changes the picture next, stored level or not, so the document is modified either way.
    MarkDocumentModified();
}

// Loads a spooled entry's content; the file must agree with what the entry knows of it.
static bool ReadBackLevel(UndoEntry& entry) {
    if (entry.spoolPath.empty()) return true;
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExW(entry.spoolPath.c_str(), GetFileExInfoStandard, &info)) return false;
    const uint64_t fileSize = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    std::FILE* file = _wfopen(entry.spoolPath.c_str(), L"rb");
    if (!file) return false;
    // The size, the tiles and the length are checked before anything is allocated for the pixels.
    const SpoolCheck check = ReadSpoolStream(file, fileSize, entry.spooled, &entry.content);
    std::fclose(file);
    return check == SpoolCheck::Ok;
}

// Puts the shadow's state into the picture: all of it across a size change or where a selection floated, else
// the tiles that changed. False, with the picture untouched, when a new surface cannot be made.
static bool ShowShadow(bool whole, const std::vector<uint32_t>& tiles, bool floating) {
    const size_t bytes = static_cast<size_t>(PictureBytes(g_shadow.width, g_shadow.height));
    if (!HasPicture() || g_shadow.width != g_canvas.width || g_shadow.height != g_canvas.height) {
        CanvasImage fresh;
        if (!MakeCanvasSurface(g_shadow.width, g_shadow.height, &fresh)) return false;
        std::memcpy(fresh.pixels, g_shadow.pixels.data(), bytes);
        ReplacePicture(fresh);
        return true;
    }
    GdiFlush();
    if (whole || floating)
        std::memcpy(g_canvas.pixels, g_shadow.pixels.data(), bytes);
    else
        CopyTiles(g_canvas.pixels, g_shadow.pixels.data(), TileGridOf(g_canvas.width, g_canvas.height), tiles);
    MarkDocumentModified();
    AnnouncePictureReplaced();
    return true;
}

// Undo and Redo alike: the last level of `from` becomes the picture and the level that comes back to the state
// now goes onto `to`. Any failure before the picture changed leaves both stacks and the picture as they were.
static void StepThroughHistory(std::vector<UndoEntry>& from, std::vector<UndoEntry>& to, uint64_t toLimit,
                               const wchar_t* lowMemoryText) {
    ComposedPicture x;
    if (!ComposePicture(&x) || !CloseOpenLevel(x.view)) {
        LoseUndoHistory();
        return;
    }
    if (from.empty()) return; // the history went with the memory
    if (!g_shadow.Valid() && !ResyncShadow(&g_shadow, x.view)) {
        ReportResizeFailure(ResizeResult::NoMemory, g_canvas.width, g_canvas.height);
        return;
    }
    // Taken off its stack while it is applied; put back as it was on any failure (the room is still there).
    UndoEntry target = std::move(from.back());
    from.pop_back();
    auto putBack = [&](const wchar_t* text) {
        if (!target.spoolPath.empty()) ReleaseContent(target);
        from.push_back(std::move(target));
        SetStatusText(kStatusMessage, text);
    };
    if (!ReadBackLevel(target)) return putBack(kReadBackFailed);
    const bool whole = target.content.whole;
    std::vector<uint32_t> tiles;
    UndoEntry back;
    bool reversed = false;
    try {
        tiles = target.content.tiles;
        reversed = ReverseLevel(target.content, &g_shadow, true, &back.content);
    } catch (const std::bad_alloc&) {
    }
    if (!g_shadow.Valid() && !reversed) return putBack(kReadBackFailed);
    // A whole level's pixels move into the shadow; a level of tiles is copied there.
    if (!ApplyToShadow(target.content, &g_shadow)) {
        if (reversed && !g_shadow.Valid()) (void)ApplyToShadow(back.content, &g_shadow);
        return putBack(kReadBackFailed);
    }
    if (!ShowShadow(whole, tiles, x.floating)) {
        // The picture is as it was, so the shadow and the level go back with it.
        if (whole) target.content.pixels.swap(g_shadow.pixels);
        if (!reversed || !ApplyToShadow(back.content, &g_shadow)) g_shadow = {};
        ReportResizeFailure(ResizeResult::NoMemory, target.content.width, target.content.height);
        if (!target.spoolPath.empty()) ReleaseContent(target);
        from.push_back(std::move(target));
        return;
    }
    DiscardEntry(target); // it is the picture now; its spool file has done its work
    if (g_documentListener.dropPendingEdits) g_documentListener.dropPendingEdits();
    if (reversed) {
        ApplyBudget(to, from, back.content.MemoryBytes(), toLimit);
        if (TryAppend(to, std::move(back))) return;
    }
    RemoveBottom(to, to.size());
    SetStatusText(kStatusMessage, lowMemoryText);
}

void Undo() {
    AssertUiThread();
    GdiFlush();
    // An open level whose change left nothing different still counts as a step.
    if (g_undo.undo.empty()) return;
    StepThroughHistory(g_undo.undo, g_undo.redo, kRedoMemoryBudget, kRedoCleared);
}

void Redo() {
    AssertUiThread();
    GdiFlush();
    if (g_undo.redo.empty()) return;
    StepThroughHistory(g_undo.redo, g_undo.undo, kUndoMemoryBudget, kUndoCleared);
}
