#include "tools/tool_commands.h"

#include "base/status_text.h"
#include "toolbox/tool_actions.h"
#include "tools/path_tool.h"

void StrokePathCommand() {
    if (PathAnchorCount() < 2) {
        SetStatusText(kStatusMessage, L"Path needs at least 2 points to stroke line.");
        return;
    }
    // Stroking arrives with the path tool; a path of two anchors cannot exist before it.
}

void ChoosePathTool() { SetTool(ToolId::Path); }
void ChooseFuzzySelectTool() { SetTool(ToolId::FuzzySelect); }
