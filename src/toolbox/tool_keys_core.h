// Tool letters, size digits and Ctrl+digit sub-options: what a key does to the tool options.
#pragma once
#include <string>

#include "toolbox/tool_box_core.h"
#include "toolbox/tool_state.h"

struct ToolKeyResult {
    bool handled = false;
    int tool = -1; // the tool to make current, or -1
    bool repaintToolBox = false;
    bool repaintCanvas = false;
    bool textBackgroundChanged = false;
    PanelAction action = PanelAction::None;
    double zoom = 0;     // for PanelAction::ZoomTo
    std::wstring status; // status part 0; empty for none
};

// c is upper case: letters choose tools, digits choose sizes of the current tool.
ToolKeyResult ToolKeyAction(ToolOptions* o, wchar_t c);
// Ctrl+1 .. Ctrl+9 for the current tool; pathAnchors is the size of the path being built.
ToolKeyResult ToolCtrlDigitAction(ToolOptions* o, int d, int pathAnchors);
