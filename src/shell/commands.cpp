// WM_COMMAND dispatch: the settle step at the strength the command asks, then the subsystem that carries it out.
#include "shell/commands.h"

#include <windows.h>

#include <span>

#include "base/app_windows.h"
#include "capture/snip_window.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "files/file_commands.h"
#include "filters/attributes_dialog.h"
#include "filters/clipboard.h"
#include "filters/crop.h"
#include "filters/filter_commands.h"
#include "filters/flip_rotate_dialog.h"
#include "filters/mosaic_dialog.h"
#include "filters/resize_dialog.h"
#include "filters/transforms.h"
#include "info/about_window.h"
#include "info/shortcuts_window.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"
#include "shell/recent_files.h"
#include "sftp/sftp_dialog.h"
#include "tools/font_toolbar_window.h"
#include "tools/path_tool.h"
#include "tools/shape_tools.h"
#include "tools/text_tool.h"
#include "tools/tool_commands.h"
#include "toolbox/color_box.h"
#include "toolbox/tool_actions.h"
#include "toolbox/thickness_dialog.h"
#include "update/update_window.h"

namespace {

struct CommandRow {
    int first, last; // an identifier, or a range of them
    Settle settle;
    void (*run)(int id);
};

void Exit(int) {
    if (g_app.main) SendMessageW(g_app.main, WM_CLOSE, 0, 0);
}

void ToggleBand(bool* shown) {
    *shown = !*shown;
    if (g_app.main) LayoutChildWindows(g_app.main);
}

// An unfinished polygon or curve is taken back before the picture's history.
void UndoCommand(int) {
    if (!IsTextEditingActive() && TakeBackUnfinishedShape()) {
        RepaintCanvas();
        return;
    }
    Undo();
}

void ZoomTo(int id) {
    struct ZoomItem {
        int id;
        double zoom;
    };
    static constexpr ZoomItem kZooms[] = {{kCmdZoom12, 0.125}, {kCmdZoom25, 0.25}, {kCmdZoom50, 0.5},
                                          {kCmdZoom100, 1},    {kCmdZoom200, 2},   {kCmdZoom400, 4},
                                          {kCmdZoom600, 6},    {kCmdZoom800, 8},   {kCmdZoom1600, 16}};
    for (const ZoomItem& z : kZooms)
        if (z.id == id) SetZoom(z.zoom, nullptr);
}

void GridSpacing(int id) {
    static constexpr int kSpacings[] = {1, 2, 4, 8, 16, 32, 64};
    SetGridSpacing(kSpacings[id - kCmdGrid1]);
    for (int item = kCmdGrid1; item <= kCmdGrid64; ++item)
        CheckMenuCommand(item, item == id);
    CheckMenuCommand(kCmdShowGrid, true);
}

constexpr CommandRow kFileRows[] = {
    {kCmdNew, kCmdNew, Settle::Text, [](int) { NewPicture(); }},
    {kCmdOpen, kCmdOpen, Settle::Text, [](int) { OpenPicture(); }},
    {kCmdSave, kCmdSave, Settle::All, [](int) { (void)SaveDocument(g_app.main); }},
    {kCmdSaveAs, kCmdSaveAs, Settle::All, [](int) { (void)SaveDocumentAs(g_app.main); }},
    {kCmdWallpaperTiled, kCmdWallpaperTiled, Settle::None, [](int) { SetWallpaper(true); }},
    {kCmdWallpaperCentered, kCmdWallpaperCentered, Settle::None, [](int) { SetWallpaper(false); }},
    {kCmdExit, kCmdExit, Settle::None, Exit}, // closing settles by itself
    {kCmdUploadSftp, kCmdUploadSftp, Settle::All, [](int) { ShowSftpUploadDialog(g_app.main); }},
    {kCmdRecentFirst, kCmdRecentLast, Settle::Text, [](int id) { OpenRecentFile(id - kCmdRecentFirst); }},
    {kCmdClearRecent, kCmdClearRecent, Settle::None, [](int) { ClearRecentFiles(); }},
};

constexpr CommandRow kEditRows[] = {
    {kCmdUndo, kCmdUndo, Settle::None, UndoCommand},
    {kCmdRedo, kCmdRedo, Settle::None, [](int) { Redo(); }},
    {kCmdCut, kCmdCut, Settle::Text, [](int) { CutToClipboard(); }},
    {kCmdCopy, kCmdCopy, Settle::Text, [](int) { (void)CopyToClipboard(); }},
    {kCmdPaste, kCmdPaste, Settle::All, [](int) { PasteFromClipboard(); }},
    {kCmdClearSelection, kCmdClearSelection, Settle::None, [](int) { ClearSelectionCommand(); }},
    {kCmdSelectAll, kCmdSelectAll, Settle::Text, [](int) { SelectAllCommand(); }},
    {kCmdCaptureRegion, kCmdCaptureRegion, Settle::Text, [](int) { StartScreenSnip(); }},
    {kCmdStrokePath, kCmdStrokePath, Settle::Text, [](int) { StrokePathCommand(); }},
    {kCmdPathToSelection, kCmdPathToSelection, Settle::None, [](int) { PathToSelection(); }}, // settles itself
};

constexpr CommandRow kViewRows[] = {
    {kCmdToggleToolBox, kCmdToggleToolBox, Settle::None, [](int) { ToggleBand(&g_app.showToolBox); }},
    {kCmdToggleColorBox, kCmdToggleColorBox, Settle::None, [](int) { ToggleBand(&g_app.showColorBox); }},
    {kCmdToggleStatusBar, kCmdToggleStatusBar, Settle::None, [](int) { ToggleBand(&g_app.showStatusBar); }},
    {kCmdToggleTextToolbar, kCmdToggleTextToolbar, Settle::None, [](int) { ToggleFontToolbar(); }},
    {kCmdZoom100, kCmdZoom1600, Settle::Text, ZoomTo},
    {kCmdZoom12, kCmdZoom50, Settle::Text, ZoomTo},
    {kCmdZoomIn, kCmdZoomIn, Settle::Text, [](int) { ZoomIn(); }},
    {kCmdZoomOut, kCmdZoomOut, Settle::Text, [](int) { ZoomOut(); }},
    {kCmdShowGrid, kCmdShowGrid, Settle::Text, [](int) { CheckMenuCommand(kCmdShowGrid, ToggleGrid()); }},
    {kCmdGrid1, kCmdGrid64, Settle::Text, GridSpacing},
};

constexpr CommandRow kImageRows[] = {
    {kCmdFlipRotate, kCmdFlipRotate, Settle::Text, [](int) { OpenFlipRotateDialog(g_app.main); }},
    {kCmdStretchSkew, kCmdStretchSkew, Settle::None, [](int) { OpenResizeDialog(g_app.main); }}, // Stretch settles
    {kCmdInvertColors, kCmdInvertColors, Settle::Text, [](int) { InvertColors(); }},
    {kCmdAttributes, kCmdAttributes, Settle::All, [](int) { OpenAttributesDialog(g_app.main); }},
    {kCmdClearImage, kCmdClearImage, Settle::Text, [](int) { ClearImage(); }},
    {kCmdDrawOpaque, kCmdDrawOpaque, Settle::None, [](int) { ToggleDrawOpaque(); }},
    {kCmdCropToSelection, kCmdCropToSelection, Settle::Text, [](int) { CropToSelection(); }},
    {kCmdMosaic, kCmdMosaic, Settle::Text, [](int) { OpenMosaicDialog(g_app.main); }},
};

constexpr CommandRow kKeyRows[] = {
    {kCmdRegisterBmp, kCmdRegisterBmp, Settle::None, [](int) { RegisterBmpAssociation(); }},
    {kCmdCaptureScreen, kCmdCaptureScreen, Settle::Text, [](int) { StartScreenSnip(); }},
    {kCmdPathTool, kCmdPathTool, Settle::None, [](int) { ChoosePathTool(); }}, // the tool change settles
    {kCmdFuzzySelectTool, kCmdFuzzySelectTool, Settle::None, [](int) { ChooseFuzzySelectTool(); }},
    {kCmdThickness, kCmdThickness, Settle::None, [](int) { OpenThicknessDialog(g_app.main); }},
    {kCmdCheckUpdatesKey, kCmdCheckUpdatesKey, Settle::None, [](int) { CheckForUpdates(g_app.main); }},
    {kCmdShortcutsKey, kCmdShortcutsKey, Settle::None, [](int) { ShowShortcutsWindow(g_app.main); }},
};

constexpr CommandRow kHelpRows[] = {
    {kCmdCheckUpdates, kCmdCheckUpdates, Settle::None, [](int) { CheckForUpdates(g_app.main); }},
    {kCmdShortcuts, kCmdShortcuts, Settle::None, [](int) { ShowShortcutsWindow(g_app.main); }},
    {kCmdAbout, kCmdAbout, Settle::None, [](int) { ShowAboutWindow(g_app.main); }},
};

constexpr CommandRow kColorRows[] = {
    {kCmdEditColors, kCmdEditColors, Settle::None, [](int) { EditColors(); }},
};

// The routing by hundreds: 1xx File, 2xx Edit, 3xx View, 4xx Image, 5xx keys and buttons, 6xx Help, 7xx Colors.
std::span<const CommandRow> RowsOfHundred(int id) {
    switch (id / 100) {
    case 1: return kFileRows;
    case 2: return kEditRows;
    case 3: return kViewRows;
    case 4: return kImageRows;
    case 5: return kKeyRows;
    case 6: return kHelpRows;
    case 7: return kColorRows;
    default: return {};
    }
}

const CommandRow* FindRow(int id) {
    for (const CommandRow& r : RowsOfHundred(id))
        if (id >= r.first && id <= r.last) return &r;
    return nullptr;
}

} // namespace

Settle CommandSettleStrength(int id) {
    const CommandRow* row = FindRow(id);
    return row ? row->settle : Settle::None;
}

bool DispatchCommand(int id) {
    const CommandRow* row = FindRow(id);
    if (!row) return false;
    SettlePendingEdits(row->settle);
    row->run(id);
    return true;
}
