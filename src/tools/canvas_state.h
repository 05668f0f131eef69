// The canvas's drag state, shared by its message handlers (canvas_*.cpp) and nothing else.
#pragma once
#include <windows.h>

#include "document/view_core.h"
#include "tools/canvas_core.h"
#include "tools/pending_edits.h"
#include "tools/tool_row.h"

// UI thread only.
struct CanvasState {
    bool dragging = false;
    MouseButton dragButton = MouseButton::Left; // of the drag in progress or of the last one
    // The tool that began the drag keeps it to the end, even if a key or the colour picker changes the tool.
    ToolId dragTool = ToolId::Rectangle;
    int activeEdit = -1;    // the pending edit whose move or resize the drag is, or -1
    bool shiftHeld = false; // at the last pointer message, for the shape previews
    PicturePoint anchor;
    PicturePoint pointer;
    bool spaceHeld = false;
    bool panning = false;
    POINT panStartClient{};
    POINT panStartScroll{};
    CanvasGrip grip = CanvasGrip::None;
    POINT gripStartClient{};
    int gripWidth = 0;
    int gripHeight = 0;
    int antsPhase = 0;
    RightClickSeries rightClicks;
    bool releasingCapture = false; // our own ReleaseCapture, not a lost capture
};
extern CanvasState g_canvasState;

void PaintCanvas(HWND hwnd);
// Lets go of the paint's off-screen buffer, kept between paints.
void FreeCanvasBuffer();
void OnCanvasMouseMove(HWND hwnd, int x, int y, WPARAM keys);
void OnCanvasButtonDown(HWND hwnd, MouseButton button, int x, int y);
void OnCanvasButtonUp(HWND hwnd, int x, int y, WPARAM keys);
// kToolTimer: the row of the tool whose drag goes on.
void OnCanvasToolTimer(HWND hwnd);
void OnCanvasDoubleClick(HWND hwnd, int x, int y);
void OnCanvasWheel(HWND hwnd, int delta, WPARAM keys, int screenX, int screenY);
void OnCanvasHorizontalWheel(HWND hwnd, int delta);
void OnCanvasSetCursor(HWND hwnd);
// The mouse capture went elsewhere mid-drag: end the drag without drawing anything more.
void CancelCanvasDrag(HWND hwnd);
void ReleaseCanvasCapture();
