// The canvas view: zoom, scroll offsets and grid settings, and the operations that keep them in range.
#pragma once
#include <windows.h>

#include "document/view_core.h"

// UI thread only.
struct ViewState {
    double zoom = 1.0; // screen pixels per picture pixel
    int scrollX = 0;   // content point at the canvas window's left edge
    int scrollY = 0;
    bool gridShown = false;
    int gridSpacing = 8; // picture pixels between grid lines
};
extern ViewState g_view;

PicturePoint ClientToPicture(int clientX, int clientY);
int PictureToContent(int64_t v);
void ClampZoom();
void ClampScroll();
// With an anchor (canvas client point) the picture point under it stays under it.
void SetZoom(double factor, const POINT* anchor);
void ZoomIn();
void ZoomOut();
// Shows or hides the grid; returns whether it is shown now.
bool ToggleGrid();
// Sets the spacing (picture pixels) and shows the grid.
void SetGridSpacing(int spacing);
