// The recent-files list on the real main window: what it writes to the registry, what the submenu shows, and
// opening, removing and clearing entries. Each test starts and ends without the list's registry key.
#include <windows.h>

#include <string>
#include <vector>

#include "toolbox/colors.h"
#include "document/document_state.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "files/image_load.h"
#include "files/image_save.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"
#include "shell/recent_core.h"
#include "shell/recent_files.h"
#include "shell/status_bar.h"
#include "base/text_convert.h"
#include "support/app_fixture.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\Kolvex\\RecentFiles";

using Paths = std::vector<std::wstring>;

std::string Narrow(const std::wstring& s) { return WideToUtf8(s); }

// File<n> as the program's format defines it: REG_SZ, UTF-8. False when the value is missing.
bool RegisteredFile(int n, std::wstring* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    const std::string name = "File" + std::to_string(n);
    DWORD type = 0, size = 0;
    bool found = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    std::string bytes(size, '\0');
    found = found && type == REG_SZ &&
            RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) ==
                ERROR_SUCCESS;
    RegCloseKey(key);
    *path = Utf8ToWide(bytes.substr(0, bytes.find('\0')));
    return found;
}

// "Count", or -1 when it is missing or not a REG_DWORD.
int RegisteredCount() {
    DWORD count = 0, size = sizeof count;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"Count", RRF_RT_REG_DWORD, nullptr, &count, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(count);
}

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[1024] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 1024, MF_BYPOSITION);
    return text;
}

void ExpectListAndMenu(const Paths& expected) {
    ASSERT_EQ(RecentFileCount(), static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(RecentFileAt(static_cast<int>(i)), expected[i]) << i;
    HMENU menu = RecentFilesMenu();
    if (expected.empty()) {
        ASSERT_EQ(GetMenuItemCount(menu), 1);
        EXPECT_EQ(MenuText(menu, 0), L"(No Recent Files)");
        EXPECT_TRUE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED);
        return;
    }
    const int n = static_cast<int>(expected.size());
    ASSERT_EQ(GetMenuItemCount(menu), n + 2);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(GetMenuItemID(menu, i), static_cast<UINT>(120 + i)) << i;
        EXPECT_EQ(MenuText(menu, i), RecentMenuLabel(i, expected[static_cast<size_t>(i)])) << i;
    }
    EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(n), MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(menu, n + 1), 130u);
    EXPECT_EQ(MenuText(menu, n + 1), L"&Clear Recent Files List");
}

// The list, the registry (never a File11) and the submenu all show expected, newest first.
void ExpectListed(const Paths& expected) {
    ExpectListAndMenu(expected);
    EXPECT_EQ(RegisteredCount(), static_cast<int>(expected.size()));
    for (int n = 1; n <= 11; ++n) {
        std::wstring value;
        const bool present = RegisteredFile(n, &value);
        if (n <= static_cast<int>(expected.size())) {
            EXPECT_TRUE(present) << n;
            EXPECT_EQ(value, expected[static_cast<size_t>(n - 1)]) << n;
        } else {
            EXPECT_FALSE(present) << "File" << n << " = " << Narrow(value);
        }
    }
}

class RecentFiles : public AppFixture {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        folder_ = MakeTestFolder(L"kolvex_recenttest_");
        AppFixture::SetUp(); // start-up reads the now empty list
    }
    void TearDown() override {
        AppFixture::TearDown();
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        RemoveTestFolder(folder_);
    }
    std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }
    // A white picture width pixels wide, so that loading it can be recognised, saved as path.
    static void SavePicture(const std::wstring& path, int width) {
        ASSERT_TRUE(CreateCanvasImage(width, 8, PixelFromColor(g_colors.background)));
        ASSERT_TRUE(SaveImageFile(path));
    }
    std::wstring folder_;
};

TEST_F(RecentFiles, SavedAndOpenedFilesAreKeptNewestFirstAndTheEleventhDropsTheOldest) {
    Paths files;
    for (int i = 1; i <= 11; ++i) {
        files.push_back(Path(L"pic" + std::to_wstring(i) + L".bmp"));
        SavePicture(files.back(), 10 + i);
    }
    ClearRecentFiles();
    Paths expected;
    for (int i = 0; i < 11; ++i) {
        // Alternately opened and saved again.
        if (i % 2 == 0) {
            ASSERT_TRUE(LoadImageFile(files[static_cast<size_t>(i)]));
        } else {
            ASSERT_TRUE(SaveImageFile(files[static_cast<size_t>(i)]));
        }
        expected.insert(expected.begin(), files[static_cast<size_t>(i)]);
        if (expected.size() > 10) expected.pop_back();
        ExpectListed(expected);
        if (HasFailure()) FAIL() << "after file " << i + 1;
    }
    EXPECT_EQ(expected.back(), files[1]);
    // A file already listed, named in other letter case, moves to the top instead of being listed twice.
    std::wstring shouted = files[4];
    CharUpperW(shouted.data());
    ASSERT_TRUE(LoadImageFile(shouted));
    expected.erase(expected.begin() + 6);
    expected.insert(expected.begin(), shouted);
    ExpectListed(expected);
}

TEST_F(RecentFiles, ChoosingAnEntryOpensItAndMovesItToTheTop) {
    const Paths files = {Path(L"a.bmp"), Path(L"b.bmp"), Path(L"c.bmp")};
    for (size_t i = 0; i < files.size(); ++i)
        SavePicture(files[i], 21 + static_cast<int>(i));
    FreshWhitePicture(50, 50);
    PushUndoSnapshot();
    // A changed picture asks first; Cancel keeps it.
    AnswerNextMessageBox(IDCANCEL);
    Post(g_app.main, WM_COMMAND, 122);
    ASSERT_TRUE(MessageBoxWasAnswered(nullptr));
    EXPECT_EQ(g_canvas.width, 50);
    ExpectListed({files[2], files[1], files[0]});

    AnswerNextMessageBox(IDNO);
    Post(g_app.main, WM_COMMAND, 122);
    ASSERT_TRUE(MessageBoxWasAnswered(nullptr));
    EXPECT_EQ(g_canvas.width, 21);
    EXPECT_EQ(Utf8ToWide(g_document.path), files[0]);
    EXPECT_FALSE(g_document.modified);
    ExpectListed({files[0], files[2], files[1]});
}

TEST_F(RecentFiles, AnEntryThatIsNoPictureSaysSoAndStaysListed) {
    const std::wstring noise = Path(L"noise.png");
    HANDLE h = CreateFileW(noise.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "not a picture at all", 20, &written, nullptr);
    CloseHandle(h);
    AddRecentFile(noise);
    const int width = g_canvas.width;
    AnswerNextMessageBox(IDOK);
    Post(g_app.main, WM_COMMAND, 120);
    std::wstring box;
    ASSERT_TRUE(MessageBoxWasAnswered(&box));
    EXPECT_EQ(box, L"Kolvex|Failed to open recent picture:\n" + noise);
    EXPECT_EQ(g_canvas.width, width);
    ExpectListed({noise});
}

TEST_F(RecentFiles, AMissingFileIsRemovedOnlyWhenTheUserSaysYes) {
    const std::wstring gone = Path(L"gone.bmp"), kept = Path(L"kept.bmp");
    SavePicture(gone, 30);
    SavePicture(kept, 31);
    ASSERT_TRUE(DeleteFileW(gone.c_str()));
    const std::wstring question =
        L"Kolvex|The file cannot be found:\n\n" + gone + L"\n\nDo you want to remove it from the recent files list?";
    for (int answer : {IDNO, IDYES}) {
        AnswerNextMessageBox(answer);
        Post(g_app.main, WM_COMMAND, 121);
        std::wstring box;
        ASSERT_TRUE(MessageBoxWasAnswered(&box)) << answer;
        EXPECT_EQ(box, question);
        EXPECT_EQ(g_canvas.width, 31) << "nothing was opened";
        if (answer == IDNO)
            ExpectListed({kept, gone});
        else
            ExpectListed({kept});
    }
}

std::wstring g_addedWhileAsking;

// A message box answer that arrives after something else has put a file at the top of the list.
void CALLBACK AddThenAnswerYes(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindThreadDialog();
    if (!box) return;
    KillTimer(nullptr, id);
    AddRecentFile(g_addedWhileAsking);
    PostMessageW(box, WM_COMMAND, IDYES, 0);
}

TEST_F(RecentFiles, YesRemovesTheMissingFileEvenWhenTheListChangedMeanwhile) {
    const std::wstring other = Path(L"other.bmp"), gone = Path(L"gone.bmp");
    SavePicture(other, 30);
    SavePicture(gone, 31);
    ASSERT_TRUE(DeleteFileW(gone.c_str()));
    g_addedWhileAsking = L"X"; // relative: it is listed in full
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    const std::wstring x = std::wstring(cwd) + L"\\X";
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, AddThenAnswerYes);
    Post(g_app.main, WM_COMMAND, 120);
    KillTimer(nullptr, timer);
    ExpectListed({x, other});
}

TEST_F(RecentFiles, RegistryValuesThatAreNoAbsolutePathAreSkipped) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const auto text = [&](const char* name, DWORD type, const std::string& bytes) {
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.c_str()),
                       static_cast<DWORD>(bytes.size() + 1));
    };
    const auto wide = [&](const char* name, DWORD type, const std::wstring& s) {
        RegSetValueExW(key, Utf8ToWide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(s.c_str()),
                       static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t)));
    };
    const DWORD driveRoot = 0x005C3A43; // the bytes of "C:\" and its zero
    RegSetValueExW(key, L"File1", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&driveRoot), sizeof driveRoot);
    text("File2", REG_SZ, WideToUtf8(Path(L"good.bmp")));
    text("File3", REG_BINARY, "C:\\binary.bmp");
    text("File4", REG_SZ, "pics\\relative.bmp");
    wide("File5", REG_EXPAND_SZ, L"%TEMP%\\kolvex_expanded.bmp");
    wide("File7", REG_SZ, L"C:\\Bilder\\caf\u00e9.bmp"); // by hand: not UTF-8 when read in the ANSI code page
    text("File8", REG_SZ, "");
    text("File11", REG_SZ, "C:\\eleventh.bmp");
    RegCloseKey(key);

    LoadRecentFiles();
    RebuildRecentMenu(RecentFilesMenu());
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH), 0u);
    const Paths expected = {Path(L"good.bmp"), std::wstring(temp) + L"\\kolvex_expanded.bmp",
                            L"C:\\Bilder\\caf\u00e9.bmp"};
    ExpectListAndMenu(expected);
    // The next save writes the list as it is and nothing else.
    AddRecentFile(expected[1]);
    ExpectListed({expected[1], expected[0], expected[2]});
}

TEST_F(RecentFiles, ALongPathOutsideTheAnsiCodePageSurvivesTheRegistry) {
    const std::wstring folder = Path(L"\u0424\u043e\u0442\u043e");
    const std::wstring path = folder + L"\\" + std::wstring(600 - folder.size() - 5, L'\u0436') + L".bmp";
    ASSERT_EQ(path.size(), 600u);
    AddRecentFile(path);
    ExpectListed({path});
    LoadRecentFiles();
    RebuildRecentMenu(RecentFilesMenu());
    ExpectListAndMenu({path});
}

TEST_F(RecentFiles, TheMenuNamesALongEntryInFullInTheStatusBar) {
    const std::wstring path = L"C:\\pictures\\" + std::wstring(484, L'n') + L".bmp";
    ASSERT_EQ(path.size(), 500u);
    AddRecentFile(path);
    EXPECT_EQ(MenuText(RecentFilesMenu(), 0).size(), kMaxRecentLabelChars);
    Post(g_app.main, WM_MENUSELECT, MAKEWPARAM(120, MF_STRING), reinterpret_cast<LPARAM>(RecentFilesMenu()));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Opens recent picture '" + path + L"'");
    // An item beyond the list (it shrank while the menu was open) leaves the text alone.
    SetStatusText(kStatusMessage, L"kept");
    Post(g_app.main, WM_MENUSELECT, MAKEWPARAM(121, MF_STRING), reinterpret_cast<LPARAM>(RecentFilesMenu()));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"kept");
}

TEST_F(RecentFiles, ClearLeavesACountOfZeroAndAnEmptyMenu) {
    for (const wchar_t* name : {L"one.bmp", L"two.bmp", L"three.bmp"})
        AddRecentFile(Path(name));
    ASSERT_EQ(RecentFileCount(), 3);
    Post(g_app.main, WM_COMMAND, 130);
    ExpectListed({});
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Recent files list cleared.");
    LoadRecentFiles();
    EXPECT_EQ(RecentFileCount(), 0);
}

} // namespace
