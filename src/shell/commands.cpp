// WM_COMMAND dispatch, one function per menu. A command whose feature does not exist yet is taken and does
// nothing, so no key or item ever claims to have worked.
#include "shell/commands.h"

#include <windows.h>

#include "capture/snip_window.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "files/file_commands.h"
#include "info/about_window.h"
#include "info/shortcuts_window.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"
#include "shell/recent_files.h"
#include "toolbox/color_box.h"
#include "toolbox/thickness_dialog.h"
#include "update/update_window.h"

static bool FileCommand(int id) {
    if (id >= kCmdRecentFirst && id <= kCmdRecentLast) {
        OpenRecentFile(id - kCmdRecentFirst);
        return true;
    }
    switch (id) {
    case kCmdNew: NewPicture(); return true;
    case kCmdOpen: OpenPicture(); return true;
    case kCmdSave: (void)SaveDocument(g_app.main); return true;
    case kCmdSaveAs: (void)SaveDocumentAs(g_app.main); return true;
    case kCmdWallpaperTiled: SetWallpaper(true); return true;
    case kCmdWallpaperCentered: SetWallpaper(false); return true;
    case kCmdExit:
        if (g_app.main) SendMessageW(g_app.main, WM_CLOSE, 0, 0);
        return true;
    case kCmdClearRecent: ClearRecentFiles(); return true;
    default: return id == kCmdUploadSftp;
    }
}

static bool EditCommand(int id) {
    switch (id) {
    case kCmdUndo: Undo(); return true;
    case kCmdRedo: Redo(); return true;
    case kCmdCaptureRegion: StartScreenSnip(); return true;
    default: return (id >= kCmdCut && id <= kCmdSelectAll) || id == kCmdPathToSelection || id == kCmdStrokePath;
    }
}

static void ToggleBand(bool* shown) {
    *shown = !*shown;
    if (g_app.main) LayoutChildWindows(g_app.main);
}

static void RepaintCanvas() {
    if (g_app.canvas) InvalidateRect(g_app.canvas, nullptr, FALSE);
}

static void SetGridSpacing(int id) {
    static constexpr int kSpacings[] = {1, 2, 4, 8, 16, 32, 64};
    g_view.gridSpacing = kSpacings[id - kCmdGrid1];
    for (int item = kCmdGrid1; item <= kCmdGrid64; ++item)
        CheckMenuCommand(item, item == id);
    if (!g_view.gridShown) {
        g_view.gridShown = true;
        CheckMenuCommand(kCmdShowGrid, true);
    }
    RepaintCanvas();
}

static bool ViewCommand(int id) {
    struct ZoomItem {
        int id;
        double zoom;
    };
    static constexpr ZoomItem kZooms[] = {{kCmdZoom12, 0.125}, {kCmdZoom25, 0.25}, {kCmdZoom50, 0.5},
                                          {kCmdZoom100, 1},    {kCmdZoom200, 2},   {kCmdZoom400, 4},
                                          {kCmdZoom600, 6},    {kCmdZoom800, 8},   {kCmdZoom1600, 16}};
    for (const ZoomItem& z : kZooms) {
        if (z.id != id) continue;
        SetZoom(z.zoom, nullptr);
        return true;
    }
    switch (id) {
    case kCmdToggleToolBox: ToggleBand(&g_app.showToolBox); return true;
    case kCmdToggleColorBox: ToggleBand(&g_app.showColorBox); return true;
    case kCmdToggleStatusBar: ToggleBand(&g_app.showStatusBar); return true;
    case kCmdToggleTextToolbar: return true;
    case kCmdZoomIn: ZoomIn(); return true;
    case kCmdZoomOut: ZoomOut(); return true;
    case kCmdShowGrid:
        g_view.gridShown = !g_view.gridShown;
        CheckMenuCommand(kCmdShowGrid, g_view.gridShown);
        RepaintCanvas();
        return true;
    default: break;
    }
    if (id >= kCmdGrid1 && id <= kCmdGrid64) {
        SetGridSpacing(id);
        return true;
    }
    return false;
}

static bool OtherCommand(int id) {
    if (id == kCmdCaptureScreen) {
        StartScreenSnip();
        return true;
    }
    if (id == kCmdThickness) {
        OpenThicknessDialog(g_app.main);
        return true;
    }
    if (id == kCmdEditColors) {
        EditColors();
        return true;
    }
    if (id == kCmdRegisterBmp) {
        RegisterBmpAssociation();
        return true;
    }
    if (id == kCmdCheckUpdatesKey || id == kCmdCheckUpdates) {
        CheckForUpdates(g_app.main);
        return true;
    }
    if (id == kCmdShortcutsKey || id == kCmdShortcuts) {
        ShowShortcutsWindow(g_app.main);
        return true;
    }
    if (id == kCmdAbout) {
        ShowAboutWindow(g_app.main);
        return true;
    }
    return (id >= kCmdFlipRotate && id <= kCmdMosaic) || (id >= kCmdCheckUpdatesKey && id <= kCmdThickness) ||
           (id >= kCmdCheckUpdates && id <= kCmdAbout) || id == kCmdEditColors;
}

bool DispatchCommand(int id) {
    switch (id / 100) {
    case 1: return FileCommand(id);
    case 2: return EditCommand(id);
    case 3: return ViewCommand(id);
    default: return OtherCommand(id);
    }
}
