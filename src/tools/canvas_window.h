// The canvas window: shows the picture at the current zoom with its overlays and turns pointer input into
// tool actions.
#pragma once
#include <windows.h>

#include "tools/canvas_core.h"

constexpr wchar_t kCanvasClass[] = L"KolvexCanvasClass";
constexpr UINT_PTR kAirbrushTimer = 2001;
constexpr UINT_PTR kAntsTimer = 2002;

LRESULT CALLBACK CanvasProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Space panning, shared with the message loop.
bool IsSpaceHeld();
bool IsPanning();
// Space went down: arm panning (key repeats change nothing) and show the hand over the canvas.
void ArmSpacePan();
// Space went up: disarm, end a pan in progress and let the tool's cursor return.
void ReleaseSpacePan();
HCURSOR PanCursor(bool panning);

// Outlines [x0, x1) x [y0, y1) in 4-pixel black and white dashes anchored to content coordinates, setting
// only the pixels inside clip (content coordinates; null for no clipping).
void DrawMarchingAnts(HDC surface, int x0, int y0, int x1, int y1, int phase, const RECT* clip);
