// The shape tools: line and arrow, curve, rectangle, ellipse, rounded rectangle and polygon, drawn with GDI
// into the picture at button-up and as previews on the canvas while they are being drawn.
#pragma once
#include <windows.h>

#include "document/view_core.h"
#include "toolbox/tool_state.h"

// Draws on any surface: picture points with the line width for the picture, content points with the zoomed
// width for a preview.
void DrawLineOrArrow(HDC surface, int x1, int y1, int x2, int y2, int width, COLORREF colour, bool arrow);

// The tool's button-up: button 1 left, 2 right; points are picture points.
void ShapeButtonUp(ToolId tool, int button, PicturePoint anchor, PicturePoint release, bool shift);
// A left double-click with the Polygon tool closes a polygon of three or more vertices; false otherwise.
bool PolygonDoubleClick();
// Forgets an unfinished polygon and a curve between its stages (Esc, the triple right-click, a tool change);
// true when there was one.
bool CancelUnfinishedShapes();
bool IsPolygonInProgress();
int CurveStage();
// Takes back the last step of an unfinished multi-click shape; false when none is being built, so that
// Undo goes on to the picture.
bool TakeBackUnfinishedShape();
// Whether the current tool's preview follows the pointer while no button is held.
bool ShapeFollowsPointer(ToolId tool);

struct ShapePreview {
    ToolId tool;
    bool dragging;
    int dragButton;
    PicturePoint anchor;
    PicturePoint pointer;
    bool shift;
};
// Draws the preview on the canvas's back buffer, whose origin is already at the content origin.
void PaintShapePreview(HDC buffer, const ShapePreview& p);
