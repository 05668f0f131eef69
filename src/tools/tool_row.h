// A tool's row in the tool table: what it does at a press, a move, a release, a lost capture, a double-click,
// its overlay and its cursor. Each tool family's file exports its own rows and keeps its drag state to itself;
// the canvas only captures the pointer and calls the row of the tool that began the drag.
#pragma once
#include <windows.h>

#include "document/view_core.h"
#include "toolbox/colors.h"
#include "toolbox/tool_state.h"

// The canvas timer a row may run while its drag goes on (the airbrush's 40 ms spray).
constexpr UINT_PTR kToolTimer = 2001;

// One pointer event as a row sees it. Picture points; client is the canvas client point.
struct ToolPointer {
    HWND canvas = nullptr;
    ToolId tool = ToolId::Rectangle; // the tool that began the drag
    MouseButton button = MouseButton::Left;
    PicturePoint anchor; // where the drag began
    PicturePoint point;  // the pointer now; the anchor at the press
    POINT client{};
    bool shift = false;
    DWORD tick = 0; // the message time
};

// What the drag of the current tool looks like to its overlay; points are picture points.
struct ToolOverlay {
    ToolId tool = ToolId::Rectangle;
    bool dragging = false;
    MouseButton button = MouseButton::Left;
    PicturePoint anchor;
    PicturePoint pointer;
    bool shift = false;
};

enum class PressOutcome {
    Repaint,   // the press changed what the canvas shows
    NoRepaint, // nothing to show yet
    EndDrag,   // the press finished the tool's work: the canvas ends the drag at once
};

// Every entry may be null: that event does nothing for the tool.
struct ToolRow {
    PressOutcome (*press)(const ToolPointer&) = nullptr;
    void (*move)(const ToolPointer&) = nullptr; // while the drag goes on
    void (*release)(const ToolPointer&) = nullptr;
    void (*cancel)(const ToolPointer&) = nullptr; // the capture was lost mid-drag
    bool (*doubleClick)() = nullptr;              // true when it acted and the canvas must repaint
    // Drawn on the canvas's back buffer, whose origin is already at the content origin.
    void (*paintOverlay)(HDC buffer, const ToolOverlay&) = nullptr;
    // Whether a rubber band follows the pointer now, with no button held.
    bool (*followsPointer)() = nullptr;
    void (*timer)(HWND canvas) = nullptr; // kToolTimer while the row's drag goes on
    LPCSTR (*cursor)() = nullptr;         // over the picture; null: the I-beam or cross-hair by the traits
};

const ToolRow& ToolRowOf(ToolId tool);
// Forgets every tool's unfinished drag state (a new canvas starts with none).
void ResetToolDragStates();
