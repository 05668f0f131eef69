// The About window and the shortcuts reference, driven through the program's own message routing.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "info/about_window.h"
#include "info/shortcuts_text_core.h"
#include "info/shortcuts_window.h"
#include "base/app_windows.h"
#include "support/app_fixture.h"
#include "update/update_core.h"
#include "update/update_test_support.h"
#include "update/update_window.h"

using namespace update_test;

namespace {

std::wstring TextOf(HWND w) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND w) {
    wchar_t buffer[64] = {};
    GetClassNameW(w, buffer, 64);
    return buffer;
}

RECT PlaceOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct Control {
    const wchar_t* cls;
    const wchar_t* text;
    int x, y, w, h, id;
};

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> list;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        list.push_back(c);
    return list;
}

void ExpectControls(HWND window, const std::vector<Control>& expected) {
    const std::vector<HWND> children = Children(window);
    ASSERT_EQ(children.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Control& e = expected[i];
        HWND c = children[i];
        const RECT r = PlaceOf(c);
        EXPECT_EQ(ClassOf(c), e.cls) << i;
        EXPECT_EQ(TextOf(c), e.text) << i;
        EXPECT_EQ(GetDlgCtrlID(c), e.id) << e.text;
        EXPECT_EQ(r.left, e.x) << e.text;
        EXPECT_EQ(r.top, e.y) << e.text;
        EXPECT_EQ(r.right - r.left, e.w) << e.text;
        EXPECT_EQ(r.bottom - r.top, e.h) << e.text;
    }
}

// The dialog frame's placement, on top, owned by the main window, which stays enabled.
void ExpectWindow(HWND w, const wchar_t* cls, const wchar_t* caption, int width, int height) {
    EXPECT_EQ(ClassOf(w), cls);
    EXPECT_EQ(TextOf(w), caption);
    RECT r, owner;
    GetWindowRect(w, &r);
    GetWindowRect(g_app.main, &owner);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
    EXPECT_EQ(r.left, std::max<LONG>(10, owner.left + (owner.right - owner.left - width) / 2));
    EXPECT_EQ(r.top, std::max<LONG>(10, owner.top + (owner.bottom - owner.top - height) / 2));
    EXPECT_TRUE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(GetWindowLongPtrW(w, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    EXPECT_EQ(GetWindow(w, GW_OWNER), g_app.main);
    EXPECT_TRUE(IsWindowEnabled(g_app.main));
}

int CountWindows(const wchar_t* cls) {
    int n = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr))
        n += IsWindowVisible(w) ? 1 : 0;
    return n;
}

HWND WindowOf(HWND control) { return GetParent(control); }

class InfoWindows : public AppFixture {};

TEST_F(InfoWindows, AboutShowsEveryLabelAndButtonWithOkFocused) {
    HWND ok = ShowAboutWindow(g_app.main);
    ASSERT_NE(ok, nullptr);
    HWND about = WindowOf(ok);
    EXPECT_EQ(GetFocus(), ok);
    ExpectWindow(about, kAboutClass, L"About Kolvex", 450, 330);
    const std::wstring features = L"- Pure Win32 GDI C++ Architecture (0ms Startup, <5MB RAM)\r\n"
                                  L"- All 18 Classic Paint Tools & 28-Color Palette Bar\r\n"
                                  L"- 1,000-Level Disk-Spooled Undo & Redo (Ctrl+Z / Ctrl+Y)\r\n"
                                  L"- Pixel Art Zoom (down to 10px side / up to 1600%) with Grid (Ctrl+G)\r\n"
                                  L"- Floating Selection & Mosaic Filters (Ctrl+M)\r\n"
                                  L"- Full Win95 / Win98 / WinXP / Win7 / Win10 / Win11 Compatibility";
    ExpectControls(about,
                   {
                       {L"Static", L"", 20, 20, 32, 32, 0},
                       {L"Static", L"Kolvex (Vantrelo)", 65, 18, 360, 20, 0},
                       {L"Static", L"Version 1.0.0  (Build: 20261028_094727)", 65, 40, 360, 18, 0},
                       {L"Static", L"Compiled: Oct 28 2026 09:47:29  [Pure Static i686 Win32 GDI]", 65, 60, 360, 18, 0},
                       {L"Button", L"Key Features && Capabilities", 20, 88, 405, 180, 0},
                       {L"Static", features.c_str(), 35, 112, 380, 145, 0},
                       {L"Button", L"&Shortcuts...", 20, 280, 105, 28, kAboutShortcutsId},
                       {L"Button", L"Check for &Updates...", 140, 280, 160, 28, kAboutCheckUpdatesId},
                       {L"Button", L"OK", 315, 280, 110, 28, IDOK},
                   });
    const std::vector<HWND> c = Children(about);
    EXPECT_TRUE(GetWindowLongPtrW(c[0], GWL_STYLE) & SS_ICON);
    EXPECT_NE(SendMessageW(c[0], STM_GETICON, 0, 0), 0) << "the program's icon or the default one";
    for (size_t i = 1; i < c.size(); ++i)
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(c[i], WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_TRUE(GetWindowLongPtrW(c[5], GWL_STYLE) & SS_NOPREFIX) << "the ampersands show as themselves";
    EXPECT_EQ(GetWindowLongPtrW(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

TEST_F(InfoWindows, TwoAboutWindowsCloseEachOnItsOwnAndEnterIsNoDialogKey) {
    HWND first = WindowOf(ShowAboutWindow(g_app.main));
    HWND second = WindowOf(ShowAboutWindow(g_app.main));
    ASSERT_NE(first, second);
    EXPECT_EQ(CountWindows(kAboutClass), 2);
    Post(GetDlgItem(second, IDOK), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(IsWindow(second)) << "Enter is not a dialog key here";
    Post(GetDlgItem(first, IDOK), BM_CLICK);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(second));
    Post(second, WM_CLOSE);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_TRUE(IsWindowEnabled(g_app.main));
    EXPECT_EQ(GetActiveWindow(), g_app.main);
}

TEST_F(InfoWindows, TheShortcutsButtonKeepsAbout) {
    HWND about = WindowOf(ShowAboutWindow(g_app.main));
    Post(GetDlgItem(about, kAboutShortcutsId), BM_CLICK);
    EXPECT_TRUE(IsWindow(about));
    EXPECT_EQ(CountWindows(kShortcutsClass), 1);
    HWND shortcuts = FindWindowW(kShortcutsClass, nullptr);
    EXPECT_EQ(GetWindow(shortcuts, GW_OWNER), g_app.main);
}

TEST_F(InfoWindows, CheckForUpdatesClosesAboutAndItsBoxIsOwnedByTheMainWindow) {
    ServersDown down;
    BoxAnswerer boxes;
    HWND about = WindowOf(ShowAboutWindow(g_app.main));
    Post(GetDlgItem(about, kAboutCheckUpdatesId), BM_CLICK);
    EXPECT_FALSE(IsWindow(about));
    ASSERT_TRUE(boxes.WaitFor(1));
    EXPECT_EQ(boxes.seen()[0].caption, L"Kolvex Update");
    EXPECT_EQ(boxes.seen()[0].text, Wide(kMsgNoUpdateInformation));
    EXPECT_EQ(boxes.seen()[0].owner, g_app.main);
    EXPECT_EQ(UpdateWindowHandle(), nullptr);
}

TEST_F(InfoWindows, TheShortcutsReferenceIsAReadOnlyMonospaceFieldWithCloseFocused) {
    HWND w = ShowShortcutsWindow(g_app.main);
    ASSERT_NE(w, nullptr);
    ExpectWindow(w, kShortcutsClass, L"Kolvex Keyboard Shortcuts Reference", 560, 520);
    const std::string& reference = ShortcutsReferenceText();
    ExpectControls(w, {
                          {L"Edit", Wide(reference).c_str(), 15, 15, 515, 410, kShortcutsTextId},
                          {L"Button", L"Close", 430, 450, 95, 26, IDOK},
                      });
    HWND edit = GetDlgItem(w, kShortcutsTextId), close = GetDlgItem(w, IDOK);
    EXPECT_EQ(GetWindowLongW(edit, GWL_STYLE), 0x50200844);
    EXPECT_TRUE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetFocus(), close);
    EXPECT_EQ(GetWindowLongPtrW(close, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    LOGFONTA font = {};
    const HGDIOBJ used = reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0));
    ASSERT_TRUE(GetObjectA(used, sizeof font, &font));
    if (used != GetStockObject(ANSI_FIXED_FONT)) {
        EXPECT_STREQ(font.lfFaceName, "Courier New");
        EXPECT_EQ(font.lfHeight, -13);
        EXPECT_EQ(font.lfWeight, FW_NORMAL);
        EXPECT_EQ(font.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
    }
    std::string text(reference.size() + 16, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(edit, text.data(), static_cast<int>(text.size()))));
    EXPECT_EQ(text, reference) << "the ANSI text unchanged";
    EXPECT_GE(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 89);
}

TEST_F(InfoWindows, TheReferenceScrollsAndTypingLeavesItUnchanged) {
    HWND w = ShowShortcutsWindow(g_app.main);
    HWND edit = GetDlgItem(w, kShortcutsTextId);
    SetFocus(edit);
    Post(edit, WM_KEYDOWN, VK_NEXT, 1);
    Post(edit, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    for (UINT key : {UINT{VK_DELETE}, UINT{VK_BACK}, UINT{VK_RETURN}})
        Post(edit, WM_KEYDOWN, key, 1);
    for (WPARAM ch : {WPARAM{'x'}, WPARAM{'9'}, WPARAM{VK_BACK}, WPARAM{'\r'}})
        Post(edit, WM_CHAR, ch, 1);
    SendMessageW(edit, WM_PASTE, 0, 0);
    SendMessageW(edit, WM_CUT, 0, 0);
    const std::string& reference = ShortcutsReferenceText();
    std::string text(reference.size() + 16, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(edit, text.data(), static_cast<int>(text.size()))));
    EXPECT_EQ(text, reference);
    EXPECT_TRUE(IsWindow(w)) << "Enter is not a dialog key here";
}

TEST_F(InfoWindows, F1AndTheHelpCommandsOpenTheirWindowsEachOfWhichClosesOnItsOwn) {
    Post(g_app.main, WM_KEYDOWN, VK_F1, 1);
    EXPECT_EQ(CountWindows(kShortcutsClass), 1);
    Post(g_app.main, WM_COMMAND, 502);
    Post(g_app.main, WM_COMMAND, 602);
    EXPECT_EQ(CountWindows(kShortcutsClass), 3);
    Post(g_app.main, WM_COMMAND, 603);
    EXPECT_EQ(CountWindows(kAboutClass), 1);
    HWND one = FindWindowW(kShortcutsClass, nullptr);
    Post(GetDlgItem(one, IDOK), BM_CLICK);
    EXPECT_FALSE(IsWindow(one));
    EXPECT_EQ(CountWindows(kShortcutsClass), 2);
    HWND other = FindWindowW(kShortcutsClass, nullptr);
    Post(other, WM_CLOSE);
    EXPECT_EQ(CountWindows(kShortcutsClass), 1);
}

} // namespace
