// The current tool and the tool options.
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

// UI thread only. Until the tool box can choose tools, the pencil is the tool in use.
struct ToolOptions {
    ToolId currentTool = ToolId::Pencil;
    ToolId previousTool = ToolId::Pencil;
    int pencilWidth = 1; // 1..500 px
    bool selectionTransparent = false; // background-coloured pixels of a floating selection are not stamped
};
extern ToolOptions g_tools;
