#include "shell/menu_bar.h"

#include "base/app_windows.h"
#include "base/proc_lookup.h"

#include <cstdio>
#include <iterator>

#include "shell/command_ids.h"
#include "shell/recent_files.h"
#include "base/status_text.h"
#include "base/text_convert.h"
#include "tools/path_tool.h"
#include "tools/selection.h"
#include "toolbox/tool_actions.h"
#include "toolbox/tool_state.h"

static HMENU g_menuBar = nullptr;
static HMENU g_recentMenu = nullptr;

namespace {

enum : int { kSeparator = 0, kRecentSubmenu = -1, kZoomSubmenu = -2, kGridSubmenu = -3 };

struct MenuItemDef {
    int id;
    const wchar_t* text;
};

constexpr MenuItemDef kFileMenu[] = {
    {kCmdNew, L"&New\tCtrl+N"},
    {kCmdOpen, L"&Open...\tCtrl+O"},
    {kRecentSubmenu, L"Recent &Files"},
    {kCmdSave, L"&Save\tCtrl+S"},
    {kCmdSaveAs, L"Save &As...\tCtrl+Shift+S"},
    {kCmdUploadSftp, L"Upload to &SFTP Server...\tCtrl+Shift+U"},
    {kSeparator, nullptr},
    {kCmdWallpaperTiled, L"Set As &Wallpaper (Tiled)"},
    {kCmdWallpaperCentered, L"Set As Wallpaper (&Centered)"},
    {kSeparator, nullptr},
    {kCmdExit, L"E&xit\tAlt+F4"},
};
constexpr MenuItemDef kEditMenu[] = {
    {kCmdUndo, L"&Undo\tCtrl+Z"},
    {kCmdRedo, L"&Redo\tCtrl+Y"},
    {kSeparator, nullptr},
    {kCmdCut, L"Cu&t\tCtrl+X"},
    {kCmdCopy, L"&Copy\tCtrl+C"},
    {kCmdPaste, L"&Paste\tCtrl+V"},
    {kCmdClearSelection, L"C&lear Selection\tDel"},
    {kCmdSelectAll, L"Select &All\tCtrl+A"},
    {kCmdPathToSelection, L"Make &Free-Form Selection from Path\tCtrl+Enter"},
    {kCmdStrokePath, L"Stroke &Path\tShift+Enter"},
    {kSeparator, nullptr},
    {kCmdCaptureRegion, L"Capture Screen &Region...\tWin+Shift+S"},
};
constexpr MenuItemDef kViewMenu[] = {
    {kCmdToggleToolBox, L"&Tool Box\tCtrl+T"},
    {kCmdToggleColorBox, L"&Color Box\tCtrl+L"},
    {kCmdToggleStatusBar, L"&Status Bar\tCtrl+B"},
    {kCmdToggleTextToolbar, L"Text &Toolbar"},
    {kSeparator, nullptr},
    {kZoomSubmenu, L"&Zoom"},
    {kCmdShowGrid, L"Show &Grid\tCtrl+G"},
    {kGridSubmenu, L"Grid &Spacing"},
};
constexpr MenuItemDef kZoomMenu[] = {
    {kCmdZoomIn, L"Zoom &In\tCtrl++"},
    {kCmdZoomOut, L"Zoom &Out\tCtrl+-"},
    {kSeparator, nullptr},
    {kCmdZoom12, L"1&2.5%"},
    {kCmdZoom25, L"&25%"},
    {kCmdZoom50, L"&50%"},
    {kCmdZoom100, L"&100% (Normal)\tCtrl+0"},
    {kCmdZoom200, L"&200%"},
    {kCmdZoom400, L"&400%\tCtrl+PgDn"},
    {kCmdZoom600, L"&600%"},
    {kCmdZoom800, L"&800%"},
    {kCmdZoom1600, L"160&0%"},
};
constexpr MenuItemDef kGridMenu[] = {
    {316, L"&1 px"},  {317, L"&2 px"},  {318, L"&4 px"},  {319, L"&8 px"},
    {320, L"1&6 px"}, {321, L"&32 px"}, {322, L"&64 px"},
};
constexpr MenuItemDef kImageMenu[] = {
    {kCmdFlipRotate, L"&Flip/Rotate...\tCtrl+R"},
    {kCmdStretchSkew, L"&Stretch/Skew...\tCtrl+W"},
    {kCmdInvertColors, L"&Invert Colors\tCtrl+I"},
    {kCmdAttributes, L"&Attributes...\tCtrl+E"},
    {kCmdClearImage, L"&Clear Image\tCtrl+Shift+N"},
    {kCmdDrawOpaque, L"Draw &Opaque\tCtrl+K"},
    {kSeparator, nullptr},
    {kCmdCropToSelection, L"&Crop to Selection\tShift+C"},
    {kCmdMosaic, L"&Mosaic...\tCtrl+M"},
    {kCmdThickness, L"Custom &Brush / Pen Thickness...\tCtrl+Shift+W"},
};
constexpr MenuItemDef kColorsMenu[] = {{kCmdEditColors, L"&Edit Colors..."}};
constexpr MenuItemDef kHelpMenu[] = {
    {kCmdShortcuts, L"&Help Topics / Shortcuts...\tF1"},
    {kCmdCheckUpdates, L"Check for &Updates..."},
    {kCmdRegisterBmp, L"&Register .bmp Association"},
    {kSeparator, nullptr},
    {kCmdAbout, L"&About Kolvex..."},
};

struct HelpText {
    int id;
    const wchar_t* text;
};
constexpr HelpText kHelpTexts[] = {
    {101, L"Creates a new document. [Ctrl+N]"},
    {102, L"Opens an existing document. [Ctrl+O]"},
    {103, L"Saves the active document. [Ctrl+S]"},
    {104, L"Saves the active document with a new name. [Ctrl+Shift+S / F12]"},
    {105, L"Sets the picture as tiled desktop wallpaper."},
    {106, L"Sets the picture as centered desktop wallpaper."},
    {107, L"Quits Kolvex. [Alt+F4]"},
    {108, L"Uploads the current picture to an SFTP server. [Ctrl+Shift+U]"},
    {130, L"Clears the recent files list."},
    {201, L"Undoes the last action. [Ctrl+Z]"},
    {202, L"Redoes the previously undone action. [Ctrl+Y]"},
    {203, L"Cuts the selection and puts it on the Clipboard. [Ctrl+X]"},
    {204, L"Copies the selection and puts it on the Clipboard. [Ctrl+C]"},
    {205, L"Inserts Clipboard contents. [Ctrl+V]"},
    {206, L"Deletes the selection. [Del]"},
    {207, L"Selects the entire picture. [Ctrl+A]"},
    {210, L"Snips a rectangular region from screen. [Win+Shift+S / F7]"},
    {211, L"Converts bezier path to a free-form selection. [Ctrl+Enter]"},
    {212, L"Draws a line along the bezier path using current color and line width. [Shift+Enter]"},
    {301, L"Shows or hides the tool box. [Ctrl+T]"},
    {302, L"Shows or hides the color box. [Ctrl+L]"},
    {303, L"Shows or hides the status bar. [Ctrl+B]"},
    {304, L"Shows or hides the text toolbar."},
    {323, L"Zooms in on the picture. [Ctrl++]"},
    {324, L"Zooms out of the picture. [Ctrl+-]"},
    {313, L"Zooms the picture to 12.5%."},
    {314, L"Zooms the picture to 25%."},
    {315, L"Zooms the picture to 50%."},
    {305, L"Zooms the picture to 100%. [Ctrl+0]"},
    {306, L"Zooms the picture to 200%."},
    {307, L"Zooms the picture to 400%. [Ctrl+PgDn]"},
    {308, L"Zooms the picture to 600%."},
    {309, L"Zooms the picture to 800%."},
    {310, L"Zooms the picture to 1600%."},
    {311, L"Shows or hides the grid. [Ctrl+G]"},
    {316, L"Sets the grid spacing to 1 pixel."},
    {317, L"Sets the grid spacing to 2 pixels."},
    {318, L"Sets the grid spacing to 4 pixels."},
    {319, L"Sets the grid spacing to 8 pixels."},
    {320, L"Sets the grid spacing to 16 pixels."},
    {321, L"Sets the grid spacing to 32 pixels."},
    {322, L"Sets the grid spacing to 64 pixels."},
    {401, L"Flips or rotates the picture or selection. [Ctrl+R]"},
    {402, L"Stretches or skews the picture or selection. [Ctrl+W]"},
    {403, L"Inverts the colors of the picture or selection. [Ctrl+I]"},
    {404, L"Changes the attributes of the picture. [Ctrl+E]"},
    {405, L"Clears the picture or selection. [Ctrl+Shift+N]"},
    {406, L"Makes the current selection opaque or transparent. [Ctrl+K]"},
    {407, L"Crops the picture to the current selection. [Shift+C, Enter]"},
    {408, L"Applies a mosaic pixelation effect to the selection or picture. [Ctrl+M]"},
    {507, L"Sets custom thickness for brush, pen, pencil, and lines. [[ / ], Ctrl+Shift+W]"},
    {701, L"Opens the color palette dialog to create custom colors."},
    {501, L"Checks online for updates to Kolvex."},
    {601, L"Checks online for updates to Kolvex."},
    {502, L"Displays keyboard shortcuts. [F1]"},
    {602, L"Displays keyboard shortcuts. [F1]"},
    {503, L"Associates .bmp files with Kolvex."},
    {504, L"Snips a rectangular region from screen. [Win+Shift+S / F7]"},
    {505, L"Calvore Path/Pen Tool for free-form selection and path stroke. [Shift+P, P]"},
    {506, L"Tumo Fuzzy Select (Magic Wand): Selects a contiguous region of similar colors. [W]"},
    {603, L"Displays program information, version, and copyright."},
};

// Menu texts go through AppendMenuW when the system has it, else through the ANSI call.
using AppendMenuWFn = BOOL(WINAPI*)(HMENU, UINT, UINT_PTR, LPCWSTR);

AppendMenuWFn LookUpAppendMenuW() { return LookupProc<AppendMenuWFn>(GetModuleHandleW(L"user32.dll"), "AppendMenuW"); }

void AddItem(AppendMenuWFn appendW, HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text) {
    if (appendW && appendW(menu, flags, id, text)) return;
    if (!text) {
        AppendMenuA(menu, flags, id, nullptr);
        return;
    }
    AppendMenuA(menu, flags, id, WideToAnsi(text).c_str());
}

template <size_t N> HMENU BuildPopup(AppendMenuWFn appendW, const MenuItemDef (&items)[N]) {
    HMENU popup = CreatePopupMenu();
    for (const MenuItemDef& item : items) {
        if (item.id == kSeparator) {
            AddItem(appendW, popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        HMENU sub = nullptr;
        if (item.id == kRecentSubmenu) sub = g_recentMenu = CreatePopupMenu();
        if (item.id == kZoomSubmenu) sub = BuildPopup(appendW, kZoomMenu);
        if (item.id == kGridSubmenu) sub = BuildPopup(appendW, kGridMenu);
        if (sub)
            AddItem(appendW, popup, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), item.text);
        else
            AddItem(appendW, popup, MF_STRING | (item.id == 319 ? MF_CHECKED : 0u), static_cast<UINT_PTR>(item.id),
                    item.text);
    }
    return popup;
}

} // namespace

void AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text) {
    static const AppendMenuWFn appendW = LookUpAppendMenuW();
    AddItem(appendW, menu, flags, id, text);
}

HMENU BuildMenuBar() {
    const AppendMenuWFn appendW = LookUpAppendMenuW();
    g_menuBar = CreateMenu();
    struct TopMenu {
        HMENU popup;
        const wchar_t* text;
    } tops[] = {{BuildPopup(appendW, kFileMenu), L"&File"},     {BuildPopup(appendW, kEditMenu), L"&Edit"},
                {BuildPopup(appendW, kViewMenu), L"&View"},     {BuildPopup(appendW, kImageMenu), L"&Image"},
                {BuildPopup(appendW, kColorsMenu), L"&Colors"}, {BuildPopup(appendW, kHelpMenu), L"&Help"}};
    for (const TopMenu& t : tops)
        AddItem(appendW, g_menuBar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(t.popup), t.text);
    RebuildRecentMenu(g_recentMenu);
    g_app.menuBar = g_menuBar;
    return g_menuBar;
}

HMENU MenuBar() { return g_menuBar; }
HMENU RecentFilesMenu() { return g_recentMenu; }

void OnInitMenuPopup(HMENU popup, int position, bool windowMenu) {
    if (g_recentMenu && (popup == g_recentMenu || (position == 0 && !windowMenu))) RebuildRecentMenu(g_recentMenu);
    CheckMenuItem(popup, kCmdDrawOpaque, MF_BYCOMMAND | (g_tools.selectionTransparent ? MF_UNCHECKED : MF_CHECKED));
    EnableMenuItem(popup, kCmdCropToSelection, MF_BYCOMMAND | (HasSelection() ? MF_ENABLED : MF_GRAYED));
    const bool pathReady = g_tools.currentTool == ToolId::Path && PathAnchorCount() >= 2;
    EnableMenuItem(popup, kCmdPathToSelection, MF_BYCOMMAND | (pathReady ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup, kCmdStrokePath, MF_BYCOMMAND | (pathReady ? MF_ENABLED : MF_GRAYED));
}

std::wstring CommandHelpText(int id) {
    for (const HelpText& h : kHelpTexts)
        if (h.id == id) return h.text;
    return {};
}

static void ShowPopupHelp(int position, HMENU menu) {
    static constexpr const wchar_t* kTopTexts[] = {L"File menu commands",  L"Edit menu commands",
                                                   L"View menu commands",  L"Image menu commands",
                                                   L"Tools menu commands", L"Help menu commands"};
    if (menu == g_menuBar) {
        const bool known = position >= 0 && position < static_cast<int>(std::size(kTopTexts));
        SetStatusText(kStatusMessage, known ? kTopTexts[position] : L"Menu commands");
        return;
    }
    const bool recent = g_recentMenu && GetSubMenu(menu, position) == g_recentMenu;
    SetStatusText(kStatusMessage, recent ? L"Contains commands for opening recently used pictures." : L"Menu commands");
}

void OnMenuSelect(int item, UINT flags, HMENU menu) {
    if (flags == 0xFFFF && !menu) {
        ShowToolDescription();
        return;
    }
    if (flags & (MF_SEPARATOR | MF_SYSMENU)) return;
    if (flags & MF_POPUP) {
        ShowPopupHelp(item, menu);
        return;
    }
    if (item >= kCmdRecentFirst && item <= kCmdRecentLast) {
        // The list may have shrunk while the menu was open.
        const int index = item - kCmdRecentFirst;
        if (index < RecentFileCount()) {
            const std::wstring help = L"Opens recent picture '" + RecentFileAt(index) + L"'";
            SetStatusText(kStatusMessage, help.c_str());
        }
        return;
    }
    const std::wstring help = CommandHelpText(item);
    if (!help.empty()) SetStatusText(kStatusMessage, help.c_str());
}
