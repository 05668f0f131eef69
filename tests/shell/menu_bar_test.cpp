#include <windows.h>

#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/view_state.h"
#include "files/file_commands.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"

namespace {

// Starts without recent files, whatever earlier tests left in the registry.
class Menus : public AppFixture {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kolvex\\RecentFiles");
        AppFixture::SetUp();
    }
};

struct Item {
    std::wstring path; // "File/Recent Files" style, without accelerators
    int id;            // 0 separator, -1 submenu
    std::wstring text;
};

std::wstring Plain(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\t') break;
        if (c != L'&') out += c;
    }
    return out;
}

void Walk(HMENU menu, const std::wstring& path, std::vector<Item>* out) {
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            out->push_back({path, 0, L""});
        } else if (info.hSubMenu) {
            out->push_back({path, -1, text});
            Walk(info.hSubMenu, path + L"/" + Plain(text), out);
        } else {
            out->push_back({path, static_cast<int>(info.wID), text});
        }
    }
}

TEST_F(Menus, EveryItemHasItsIdentifierAndText) {
    const std::vector<Item> expected = {
        {L"", -1, L"&File"},
        {L"/File", 101, L"&New\tCtrl+N"},
        {L"/File", 102, L"&Open...\tCtrl+O"},
        {L"/File", -1, L"Recent &Files"},
        {L"/File/Recent Files", 0, L"(No Recent Files)"},
        {L"/File", 103, L"&Save\tCtrl+S"},
        {L"/File", 104, L"Save &As...\tCtrl+Shift+S"},
        {L"/File", 108, L"Upload to &SFTP Server...\tCtrl+Shift+U"},
        {L"/File", 0, L""},
        {L"/File", 105, L"Set As &Wallpaper (Tiled)"},
        {L"/File", 106, L"Set As Wallpaper (&Centered)"},
        {L"/File", 0, L""},
        {L"/File", 107, L"E&xit\tAlt+F4"},
        {L"", -1, L"&Edit"},
        {L"/Edit", 201, L"&Undo\tCtrl+Z"},
        {L"/Edit", 202, L"&Redo\tCtrl+Y"},
        {L"/Edit", 0, L""},
        {L"/Edit", 203, L"Cu&t\tCtrl+X"},
        {L"/Edit", 204, L"&Copy\tCtrl+C"},
        {L"/Edit", 205, L"&Paste\tCtrl+V"},
        {L"/Edit", 206, L"C&lear Selection\tDel"},
        {L"/Edit", 207, L"Select &All\tCtrl+A"},
        {L"/Edit", 211, L"Make &Free-Form Selection from Path\tCtrl+Enter"},
        {L"/Edit", 212, L"Stroke &Path\tShift+Enter"},
        {L"/Edit", 0, L""},
        {L"/Edit", 210, L"Capture Screen &Region...\tWin+Shift+S"},
        {L"", -1, L"&View"},
        {L"/View", 301, L"&Tool Box\tCtrl+T"},
        {L"/View", 302, L"&Color Box\tCtrl+L"},
        {L"/View", 303, L"&Status Bar\tCtrl+B"},
        {L"/View", 304, L"Text &Toolbar"},
        {L"/View", 0, L""},
        {L"/View", -1, L"&Zoom"},
        {L"/View/Zoom", 323, L"Zoom &In\tCtrl++"},
        {L"/View/Zoom", 324, L"Zoom &Out\tCtrl+-"},
        {L"/View/Zoom", 0, L""},
        {L"/View/Zoom", 313, L"1&2.5%"},
        {L"/View/Zoom", 314, L"&25%"},
        {L"/View/Zoom", 315, L"&50%"},
        {L"/View/Zoom", 305, L"&100% (Normal)\tCtrl+0"},
        {L"/View/Zoom", 306, L"&200%"},
        {L"/View/Zoom", 307, L"&400%\tCtrl+PgDn"},
        {L"/View/Zoom", 308, L"&600%"},
        {L"/View/Zoom", 309, L"&800%"},
        {L"/View/Zoom", 310, L"160&0%"},
        {L"/View", 311, L"Show &Grid\tCtrl+G"},
        {L"/View", -1, L"Grid &Spacing"},
        {L"/View/Grid Spacing", 316, L"&1 px"},
        {L"/View/Grid Spacing", 317, L"&2 px"},
        {L"/View/Grid Spacing", 318, L"&4 px"},
        {L"/View/Grid Spacing", 319, L"&8 px"},
        {L"/View/Grid Spacing", 320, L"1&6 px"},
        {L"/View/Grid Spacing", 321, L"&32 px"},
        {L"/View/Grid Spacing", 322, L"&64 px"},
        {L"", -1, L"&Image"},
        {L"/Image", 401, L"&Flip/Rotate...\tCtrl+R"},
        {L"/Image", 402, L"&Stretch/Skew...\tCtrl+W"},
        {L"/Image", 403, L"&Invert Colors\tCtrl+I"},
        {L"/Image", 404, L"&Attributes...\tCtrl+E"},
        {L"/Image", 405, L"&Clear Image\tCtrl+Shift+N"},
        {L"/Image", 406, L"Draw &Opaque\tCtrl+K"},
        {L"/Image", 0, L""},
        {L"/Image", 407, L"&Crop to Selection\tShift+C"},
        {L"/Image", 408, L"&Mosaic...\tCtrl+M"},
        {L"/Image", 507, L"Custom &Brush / Pen Thickness...\tCtrl+Shift+W"},
        {L"", -1, L"&Colors"},
        {L"/Colors", 701, L"&Edit Colors..."},
        {L"", -1, L"&Help"},
        {L"/Help", 602, L"&Help Topics / Shortcuts...\tF1"},
        {L"/Help", 601, L"Check for &Updates..."},
        {L"/Help", 503, L"&Register .bmp Association"},
        {L"/Help", 0, L""},
        {L"/Help", 603, L"&About Kolvex..."},
    };
    ASSERT_EQ(GetMenu(g_app.main), MenuBar());
    std::vector<Item> got;
    Walk(GetMenu(g_app.main), L"", &got);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].path, expected[i].path) << i;
        EXPECT_EQ(got[i].id, expected[i].id)
            << i << " " << std::string(expected[i].text.begin(), expected[i].text.end());
        EXPECT_EQ(got[i].text, expected[i].text) << i;
    }
    EXPECT_TRUE(GetMenuState(MenuBar(), 319, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(RecentFilesMenu(), 0, MF_BYPOSITION) & MF_GRAYED);
}

TEST_F(Menus, ViewTogglesChangeTheLayout) {
    const RECT before = ChildRectInMain(g_app.canvas);
    Post(g_app.main, WM_COMMAND, 301);
    EXPECT_FALSE(IsWindowVisible(g_app.toolBox));
    EXPECT_EQ(ChildRectInMain(g_app.canvas).left, 0);
    Post(g_app.main, WM_COMMAND, 302);
    Post(g_app.main, WM_COMMAND, 303);
    EXPECT_FALSE(IsWindowVisible(g_app.colorBox));
    EXPECT_FALSE(IsWindowVisible(g_app.statusBar));
    EXPECT_EQ(ChildRectInMain(g_app.canvas).bottom, before.bottom + 64);
    for (int id : {301, 302, 303})
        Post(g_app.main, WM_COMMAND, id);
    const RECT after = ChildRectInMain(g_app.canvas);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.bottom, before.bottom);
    // The bands carry no check marks.
    EXPECT_FALSE(GetMenuState(MenuBar(), 301, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Menus, ZoomItemsSetTheLevelAndKeepTheOffsets) {
    EnlargeMainWindow();
    const std::pair<int, double> cases[] = {{313, 0.125}, {314, 0.25}, {315, 0.5}, {305, 1}, {306, 2},
                                            {307, 4},     {308, 6},    {309, 8},   {310, 16}};
    for (auto [id, zoom] : cases) {
        Post(g_app.main, WM_COMMAND, static_cast<WPARAM>(id));
        EXPECT_DOUBLE_EQ(g_view.zoom, zoom) << id;
    }
    g_view.scrollX = 300;
    g_view.scrollY = 200;
    Post(g_app.main, WM_COMMAND, 307);
    EXPECT_EQ(g_view.scrollX, 300);
    EXPECT_EQ(g_view.scrollY, 200);
    Post(g_app.main, WM_COMMAND, 324); // zoom out about the canvas centre or the pointer
    EXPECT_DOUBLE_EQ(g_view.zoom, 2);
    Post(g_app.main, WM_COMMAND, 323);
    EXPECT_DOUBLE_EQ(g_view.zoom, 4);
}

TEST_F(Menus, GridSpacingShowsTheGridAndMovesTheCheck) {
    ASSERT_FALSE(g_view.gridShown);
    Post(g_app.main, WM_COMMAND, 321);
    EXPECT_TRUE(g_view.gridShown);
    EXPECT_EQ(g_view.gridSpacing, 32);
    EXPECT_TRUE(GetMenuState(MenuBar(), 311, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(MenuBar(), 321, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(MenuBar(), 319, MF_BYCOMMAND) & MF_CHECKED);
    Post(g_app.main, WM_COMMAND, 311);
    EXPECT_FALSE(g_view.gridShown);
    EXPECT_FALSE(GetMenuState(MenuBar(), 311, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(g_view.gridSpacing, 32);
}

TEST_F(Menus, OpeningAPopupSetsItsGreyingAndChecks) {
    HMENU edit = GetSubMenu(MenuBar(), 1), image = GetSubMenu(MenuBar(), 3);
    SendMessageW(g_app.main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(1, 0));
    SendMessageW(g_app.main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(image), MAKELPARAM(3, 0));
    EXPECT_TRUE(GetMenuState(edit, 211, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(edit, 212, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(edit, 201, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(image, 407, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(image, 406, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Menus, HelpTextsFollowThePointerThroughTheMenus) {
    HMENU bar = MenuBar();
    struct Case {
        int item;
        UINT flags;
        HMENU menu;
        const wchar_t* text;
    } cases[] = {
        {201, MF_STRING, GetSubMenu(bar, 1), L"Undoes the last action. [Ctrl+Z]"},
        {318, MF_STRING, GetSubMenu(GetSubMenu(bar, 2), 7), L"Sets the grid spacing to 4 pixels."},
        {316, MF_STRING, GetSubMenu(GetSubMenu(bar, 2), 7), L"Sets the grid spacing to 1 pixel."},
        {4, MF_POPUP, bar, L"Tools menu commands"},
        {0, MF_POPUP, bar, L"File menu commands"},
        {2, MF_POPUP, GetSubMenu(bar, 0), L"Contains commands for opening recently used pictures."},
        {5, MF_POPUP, GetSubMenu(bar, 2), L"Menu commands"},
        {603, MF_STRING, GetSubMenu(bar, 5), L"Displays program information, version, and copyright."},
    };
    for (const Case& c : cases) {
        SetStatusText(kStatusMessage, L"before");
        Post(g_app.main, WM_MENUSELECT, MAKEWPARAM(c.item, c.flags), reinterpret_cast<LPARAM>(c.menu));
        EXPECT_EQ(GetStatusText(kStatusMessage), c.text) << c.item;
    }
    SetStatusText(kStatusMessage, L"kept");
    Post(g_app.main, WM_MENUSELECT, MAKEWPARAM(0, MF_SEPARATOR), reinterpret_cast<LPARAM>(GetSubMenu(bar, 0)));
    Post(g_app.main, WM_MENUSELECT, MAKEWPARAM(120, MF_STRING), reinterpret_cast<LPARAM>(RecentFilesMenu()));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"kept");
    // The menu closed: the current tool's description comes back.
    Post(g_app.main, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Draws a rectangle with the selected fill style and line width. [R]");
}

TEST_F(Menus, ExitClosesAnUnmodifiedPictureAtOnce) {
    Post(g_app.main, WM_COMMAND, 107);
    EXPECT_EQ(g_app.main, nullptr);
    EXPECT_FALSE(MessageBoxWasAnswered(nullptr));
}

BOOL WINAPI CancelledDialog(LPOPENFILENAMEW) { return FALSE; }

TEST_F(Menus, ExitAsksBeforeDiscardingAModifiedPicture) {
    ChoosePencil();
    CanvasDrag(1, 10, 10, 30, 30);
    ASSERT_TRUE(g_document.modified);
    // Cancel keeps everything; Yes on the untitled picture asks for a name, and cancelling that keeps the window
    // open too; No closes.
    const FileDialogFn programSave = g_getSaveFileName;
    g_getSaveFileName = &CancelledDialog;
    for (int answer : {IDCANCEL, IDYES}) {
        AnswerNextMessageBox(answer);
        Post(g_app.main, WM_COMMAND, 107);
        std::wstring box;
        ASSERT_TRUE(MessageBoxWasAnswered(&box)) << answer;
        EXPECT_EQ(box, L"Kolvex|Save changes to the current picture before closing?");
        ASSERT_NE(g_app.main, nullptr) << answer;
        EXPECT_TRUE(g_document.modified);
        EXPECT_FALSE(g_app.closing);
    }
    g_getSaveFileName = programSave;
    AnswerNextMessageBox(IDNO);
    Post(g_app.main, WM_COMMAND, 107);
    EXPECT_TRUE(MessageBoxWasAnswered(nullptr));
    EXPECT_EQ(g_app.main, nullptr);
}

} // namespace
