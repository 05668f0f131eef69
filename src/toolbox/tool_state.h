// The current tool and the tool options: plain data that the tools read; tool_actions changes the tool.
#pragma once

enum class ToolId : int {
    FreeFormSelect = 0,
    Select = 1,
    Eraser = 2,
    Fill = 3,
    PickColor = 4,
    Magnifier = 5,
    Pencil = 6,
    Brush = 7,
    Airbrush = 8,
    Text = 9,
    Line = 10,
    Curve = 11,
    Rectangle = 12,
    Polygon = 13,
    Ellipse = 14,
    RoundedRectangle = 15,
    Path = 16,
    FuzzySelect = 17,
};

constexpr int kToolCount = 18;

struct ToolInfo {
    const wchar_t* tooltip;     // the tool box button's tooltip
    const wchar_t* description; // status part 0 while the tool is current
    const wchar_t* hover;       // status part 0 while the pointer is over its button
};
const ToolInfo& ToolInfoOf(ToolId tool);

constexpr int kBrushRadii[8] = {1, 2, 3, 4, 6, 8, 12, 18};
constexpr int kEraserSizes[4] = {4, 6, 8, 10};
constexpr int kFuzzyTolerances[4] = {0, 15, 32, 64};
constexpr int kMosaicBlockSizes[4] = {4, 8, 12, 16};
constexpr double kMagnifierZooms[4] = {1, 2, 6, 8};
constexpr int kMinThickness = 1;
constexpr int kMaxThickness = 500;

// UI thread only.
struct ToolOptions {
    ToolId currentTool = ToolId::Rectangle;
    ToolId previousTool = ToolId::Rectangle;
    int lineWidth = 5;         // lines, curves, shapes and the path stroke, 1..500 px
    int pencilWidth = 1;       // 1..500 px
    int brushSizeIndex = 3;    // into kBrushRadii
    int brushCustomRadius = 0; // 1..250 px once typed or stepped; 0: the preset applies
    int inkPen = 0;            // 0 or more: the brush draws with the ink pen; -1: the shaped brush
    int brushShape = 0;        // 0..11: row = shape, column = size
    int eraserSize = 1;        // into kEraserSizes
    int airbrushSize = 1;      // 0 small, 1 medium, 2 large
    bool textTransparent = true;
    int fillStyle = 0; // 0 outline, 1 outline filled with Color 2, 2 solid Color 1
    bool arrowHead = false;
    bool selectionTransparent = false; // background-coloured pixels of a floating selection are not stamped
    int fuzzyTolerance = 15;
    int mosaicBlockSize = 8; // 2..64
    int pathMode = 0;        // what Enter does with a path: 0 select, 1 stroke, 2 mosaic, 3 clear
};
extern ToolOptions g_tools;

int EffectiveBrushRadius(const ToolOptions& o);
