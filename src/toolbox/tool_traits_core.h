// What each tool is, as the tool box, the keys and the canvas ask it: one row per ToolId instead of range tests.
#pragma once
#include "toolbox/tool_state.h"

struct ToolTraits {
    bool showsDragSize = false;  // status part 2 shows "w x h" while dragging
    bool isShape = false;        // has a fill style (panel band B, Ctrl+1..3)
    bool lineWidthPanel = false; // the option panel's band A is the line-width list
    bool lineWidthKeys = false;  // digits 1..5 set the line width
    bool isSelection = false;    // the rectangular and free-form selection tools
    bool followsPointer = false; // may draw a rubber band while no button is held
    bool usesIBeam = false;      // the I-beam over the picture instead of the cross-hair
};

// The row of tool; an id outside 0..17 gives a row with every trait off.
const ToolTraits& TraitsOf(ToolId tool);
