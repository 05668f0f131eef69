#include "tools/tool_commands.h"

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "tools/pending_edits.h"
#include "tools/selection.h"
#include "toolbox/tool_state.h"
#include "tools/path_tool.h"

void StrokePathCommand() {
    SettlePendingEdits(Settle::Text);
    if (PathAnchorCount() < 2) {
        SetStatusText(kStatusMessage, L"Path needs at least 2 points to stroke line.");
        return;
    }
    StrokePath();
}

void ClearSelectionCommand() {
    if (HasSelection()) DropSelection(true);
}

void SelectAllCommand() {
    g_tools.currentTool = ToolId::Select;
    RepaintToolBox();
    CreateSelection(0, 0, g_canvas.width, g_canvas.height);
}
