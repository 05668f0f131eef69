// The recent-files list on the Windows side: its copy in the registry, the Recent Files submenu and the
// command that opens an entry. The list rules themselves are in recent_core.
#include "shell/recent_files.h"

#include <algorithm>
#include <string>
#include <vector>

#include "files/file_commands.h"
#include "files/image_load.h"
#include "shell/command_ids.h"
#include "shell/dialog_frame.h"
#include "base/app_windows.h"
#include "shell/menu_bar.h"
#include "shell/recent_core.h"
#include "base/scoped_handles.h"
#include "base/status_text.h"
#include "base/text_convert.h"

namespace {

// Absolute paths, most recent first. UI thread only.
std::vector<std::wstring> g_recentFiles;

constexpr wchar_t kRecentKey[] = L"Software\\Kolvex\\RecentFiles";
// A list that shrank must leave no numbered value behind, nor any a hand added past the tenth.
constexpr int kStaleValuesToDelete = 20;
// Larger than any path can be in UTF-8 (32,767 UTF-16 units, 3 bytes each); a bigger value is not a path.
constexpr DWORD kMaxValueBytes = 3 * 32768;

std::string FileValueName(int number) { return "File" + std::to_string(number); }

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The bytes of a text value up to its first zero, however long it is; false for any other type.
bool ReadTextValue(HKEY key, const char* name, DWORD* type, std::string* text) {
    DWORD size = 0;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    // A value rewritten between the calls may have grown; give it a few tries.
    for (int attempt = 0; attempt < 3 && status == ERROR_SUCCESS; ++attempt) {
        if (!IsTextType(*type) || size == 0 || size > kMaxValueBytes) return false;
        std::string buffer(size, '\0');
        DWORD got = size;
        status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (status == ERROR_MORE_DATA) {
            size = got;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status != ERROR_SUCCESS || !IsTextType(*type)) return false;
        buffer.resize(got < size ? got : size);
        *text = buffer.substr(0, buffer.find('\0'));
        return true;
    }
    return false;
}

std::wstring ExpandEnvironment(const std::wstring& s) {
    DWORD size = ExpandEnvironmentStringsW(s.c_str(), nullptr, 0);
    for (int attempt = 0; attempt < 3 && size > 0; ++attempt) {
        std::wstring out(size, L'\0');
        const DWORD got = ExpandEnvironmentStringsW(s.c_str(), out.data(), size);
        if (got == 0) return {};
        if (got <= size) {
            out.resize(got - 1);
            return out;
        }
        size = got;
    }
    return {};
}

// The entry a registry value holds, or an empty string when it holds none.
std::wstring ReadEntry(HKEY key, int number) {
    DWORD type = REG_NONE;
    std::string bytes;
    if (!ReadTextValue(key, FileValueName(number).c_str(), &type, &bytes) || bytes.empty()) return {};
    // Values written by hand or by an older version may be in the ANSI code page instead.
    std::wstring path = Utf8ToWideStrict(bytes);
    if (path.empty()) path = AnsiToWide(bytes);
    if (type == REG_EXPAND_SZ) path = ExpandEnvironment(path);
    return IsAbsolutePath(path) ? path : std::wstring();
}

void SaveRecentFiles() {
    ScopedRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRecentKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(), nullptr) !=
        ERROR_SUCCESS)
        return;
    for (int i = 1; i <= kStaleValuesToDelete; ++i)
        RegDeleteValueA(key.get(), FileValueName(i).c_str());
    const DWORD count = static_cast<DWORD>(g_recentFiles.size());
    RegSetValueExW(key.get(), L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    for (size_t i = 0; i < g_recentFiles.size(); ++i) {
        const std::string utf8 = WideToUtf8(g_recentFiles[i]);
        if (utf8.empty()) continue; // its number stays unused
        RegSetValueExA(key.get(), FileValueName(static_cast<int>(i) + 1).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(utf8.c_str()), static_cast<DWORD>(utf8.size() + 1));
    }
}

void ListChanged() {
    SaveRecentFiles();
    RebuildRecentMenu(RecentFilesMenu());
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void LoadRecentFiles() {
    g_recentFiles.clear();
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecentKey, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) return;
    // "Count" is not consulted: numbers that are missing or unusable are skipped.
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        std::wstring path = ReadEntry(key.get(), i);
        if (!path.empty()) g_recentFiles.push_back(std::move(path));
    }
}

void AddRecentFile(const std::wstring& path) {
    if (path.empty()) return;
    const std::wstring full = FullPathOf(path);
    if (full.empty()) return;
    PushRecentPath(&g_recentFiles, full);
    ListChanged();
}

void ClearRecentFiles() {
    g_recentFiles.clear();
    ListChanged();
    SetStatusText(kStatusMessage, L"Recent files list cleared.");
}

void OpenRecentFile(int index) {
    if (index < 0 || index >= RecentFileCount()) return;
    // The questions below run message loops that may change the list, so only the path is trusted afterwards.
    const std::wstring path = g_recentFiles[static_cast<size_t>(index)];
    if (!AskToSaveChanges()) return;
    if (!FileExists(path)) {
        const std::wstring question =
            L"The file cannot be found:\n\n" + path + L"\n\nDo you want to remove it from the recent files list?";
        if (OwnedMessageBox(g_app.main, question.c_str(), L"Kolvex", MB_YESNO | MB_ICONWARNING) == IDYES &&
            RemoveRecentPath(&g_recentFiles, path))
            ListChanged();
        return;
    }
    // A successful load puts the file at the top of the list itself. A picture too large or beyond memory is
    // refused in the status bar, as from every other way of opening.
    LoadOutcome outcome;
    const bool loaded = LoadImageFile(path, &outcome);
    if (loaded || outcome.result != LoadResult::Unreadable) {
        ReportOpenFailure(path, outcome);
        return;
    }
    const std::wstring failure = L"Failed to open recent picture:\n" + path;
    OwnedMessageBox(g_app.main, failure.c_str(), L"Kolvex", MB_OK | MB_ICONERROR);
}

void RebuildRecentMenu(HMENU submenu) {
    if (!submenu) return;
    while (GetMenuItemCount(submenu) > 0)
        DeleteMenu(submenu, 0, MF_BYPOSITION);
    if (g_recentFiles.empty()) {
        AppendMenuText(submenu, MF_STRING | MF_GRAYED, 0, L"(No Recent Files)");
        return;
    }
    const size_t shown = std::min(g_recentFiles.size(), static_cast<size_t>(kMaxRecentFiles));
    for (size_t i = 0; i < shown; ++i) {
        const int n = static_cast<int>(i);
        AppendMenuText(submenu, MF_STRING, static_cast<UINT_PTR>(kCmdRecentFirst + n),
                       RecentMenuLabel(n, g_recentFiles[i]).c_str());
    }
    AppendMenuText(submenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuText(submenu, MF_STRING, kCmdClearRecent, L"&Clear Recent Files List");
}

int RecentFileCount() { return static_cast<int>(g_recentFiles.size()); }

std::wstring RecentFileAt(int index) {
    return index >= 0 && index < RecentFileCount() ? g_recentFiles[static_cast<size_t>(index)] : std::wstring();
}
