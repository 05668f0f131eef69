// The canvas window: shows the picture at the current zoom with its overlays and turns pointer input into
// tool actions.
#pragma once
#include <windows.h>

#include "tools/canvas_core.h"
#include "tools/tool_row.h"

constexpr wchar_t kCanvasClass[] = L"KolvexCanvasClass";
constexpr UINT_PTR kAntsTimer = 2002;

LRESULT CALLBACK CanvasProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Ends the drag in progress without its release: for actions that finish a tool's work from a key or a button
// while the pointer is still captured. Nothing when no drag goes on.
void EndCanvasDrag();
// The button of the drag in progress or of the last one, kept after its release (the path's stroke colour).
MouseButton LastCanvasDragButton();

// The sizing cursor of handle 1..8 (clockwise from the top-left) on a selection's or a text box's frame.
LPCSTR HandleCursor(int handle);

// Space panning, shared with the message loop.
// Whether the Space key may arm panning now: no text box open, and the focus on none of the program's
// windows but the main window, its children and their descendants.
bool CanPanWithSpace();
bool IsSpaceHeld();
bool IsPanning();
// Space went down: arm panning (key repeats change nothing) and show the hand over the canvas.
void ArmSpacePan();
// Space went up: disarm, end a pan in progress and let the tool's cursor return.
void ReleaseSpacePan();
HCURSOR PanCursor(bool panning);

// The marching ants' phase, 0..7, which the ants timer advances while a selection exists.
int CanvasAntsPhase();
// The part of the content plane the canvas window shows: the scroll offsets and the client size.
RECT CanvasVisibleContent();

// Outlines [x0, x1) x [y0, y1) in 4-pixel black and white dashes anchored to content coordinates, setting
// only the pixels inside clip (content coordinates; null for no clipping).
void DrawMarchingAnts(HDC surface, int x0, int y0, int x1, int y1, int phase, const RECT* clip);
