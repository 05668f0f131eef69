#include "toolbox/tool_actions.h"

#include <windows.h>

#include <cwchar>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "base/ui_thread.h"
#include "document/view_state.h"
#include "filters/mosaic.h"
#include "tools/font_toolbar_window.h"
#include "tools/path_tool.h"
#include "tools/pending_edits.h"
#include "tools/shape_tools.h"
#include "tools/text_tool.h"
#include "tools/tool_commands.h"
#include "toolbox/tool_keys_core.h"
#include "toolbox/tool_options_core.h"

void ShowToolDescription() { SetStatusText(kStatusMessage, ToolInfoOf(g_tools.currentTool).description); }

void SetTool(ToolId tool) {
    AssertUiThread();
    if (static_cast<int>(tool) < 0 || static_cast<int>(tool) >= kToolCount || tool == g_tools.currentTool) return;
    SettlePendingEdits(Settle::All);
    if (CancelUnfinishedShapes()) RepaintCanvas();
    if (IsPathInProgress()) ClearPath();
    g_tools.previousTool = g_tools.currentTool;
    g_tools.currentTool = tool;
    RepaintToolBox();
    ShowToolDescription();
    ShowFontToolbar(tool == ToolId::Text);
}

void ChangeThickness(int delta) {
    const ThicknessChange c = StepThickness(&g_tools, delta);
    wchar_t text[96];
    switch (ThicknessTargetOf(g_tools.currentTool)) {
    case ThicknessTarget::Brush:
        swprintf(text, 96, L"Brush thickness: %dpx (radius: %dpx).", c.thickness, c.radius);
        break;
    case ThicknessTarget::Pencil: swprintf(text, 96, L"Pencil thickness: %dpx.", c.thickness); break;
    default: swprintf(text, 96, L"Line/Pen/Shape thickness: %dpx.", c.thickness); break;
    }
    SetStatusText(kStatusMessage, text);
    RepaintToolBox();
    RepaintCanvas();
}

void ApplyOptionEffects(const OptionEffects& e) {
    switch (e.action) {
    case PanelAction::ZoomTo:
        SettlePendingEdits(Settle::Text);
        SetZoom(e.zoom, nullptr);
        break;
    case PanelAction::ApplyMosaic: ApplyMosaic(g_tools.mosaicBlockSize); break;
    case PanelAction::PathToSelection: PathToSelection(); break;
    case PanelAction::StrokePath: StrokePathCommand(); break;
    case PanelAction::PathMosaic: PathMosaic(g_tools.mosaicBlockSize); break;
    case PanelAction::ClearPath: ClearPath(); break;
    case PanelAction::None: break;
    }
    if (e.textBackgroundChanged) TextBoxColorsChanged();
    if (e.status && !e.status->empty()) SetStatusText(kStatusMessage, e.status->c_str());
    if (e.repaintToolBox) RepaintToolBox();
    if (e.repaintCanvas) RepaintCanvas();
}

static bool ApplyToolKeyResult(const ToolKeyResult& r) {
    if (!r.handled) return false;
    if (r.tool >= 0) SetTool(static_cast<ToolId>(r.tool));
    ApplyOptionEffects({r.action, r.zoom, r.textBackgroundChanged, &r.status, r.repaintToolBox, r.repaintCanvas});
    return true;
}

bool ToolKey(wchar_t c) { return ApplyToolKeyResult(ToolKeyAction(&g_tools, c)); }

bool ToolCtrlDigit(int d) { return ApplyToolKeyResult(ToolCtrlDigitAction(&g_tools, d, PathAnchorCount())); }

void ChoosePathTool() { SetTool(ToolId::Path); }
void ChooseFuzzySelectTool() { SetTool(ToolId::FuzzySelect); }
