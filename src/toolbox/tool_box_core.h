// Tool box geometry and the option panel's clicks and hover texts, in tool box client pixels; no window involved.
#pragma once
#include <string>

#include "toolbox/tool_state.h"

struct BoxRect {
    int left, top, right, bottom; // right and bottom exclusive
};

constexpr int kPanelLeft = 3;
constexpr int kPanelRight = 53; // inclusive: one pixel right of the button grid still belongs to the panel
constexpr int kBandATop = 232;
constexpr int kBandABottom = 298;
constexpr int kBandBTop = 302;
constexpr int kBandBBottom = 368;
constexpr int kBandCTop = 372;
constexpr int kBandCBottom = 438;
constexpr int kBrushBandBottom = 454;
constexpr int kOptionAreaTop = 232; // a double-click from here down opens the thickness dialog

BoxRect ToolButtonRect(int tool);
// The tool whose button holds the point, or -1.
int ToolButtonAt(int x, int y);

// What the window must do beyond the option writes that PanelClick made.
enum class PanelAction { None, ApplyMosaic, PathToSelection, StrokePath, PathMosaic, ClearPath, ZoomTo };

struct PanelClickResult {
    bool hit = false; // false: outside every band, the default procedure takes the click
    bool repaintCanvas = false;
    bool textBackgroundChanged = false; // the open text box must drop its background brush and repaint
    PanelAction action = PanelAction::None;
    double zoom = 0;     // for ZoomTo
    std::wstring status; // status part 0 text; empty for none
};
// A left press at (x, y) in the option panel of o->currentTool; pathAnchors is the unfinished path's size.
PanelClickResult PanelClick(ToolOptions* o, int x, int y, int pathAnchors);
// The status text for the pointer over (x, y) in the option panel; empty where it keeps its text.
std::wstring PanelHoverText(const ToolOptions& o, int x, int y);

// The width chosen by a press at y in a width list whose first line is at y0 (band top).
int WidthListValue(int y, int bandTop);
