// The shape tools: line and arrow, curve, rectangle, ellipse, rounded rectangle and polygon, drawn with GDI
// into the picture at button-up and as previews on the canvas while they are being drawn.
#pragma once
#include <windows.h>

#include "tools/tool_row.h"

// Draws on any surface: picture points with the line width for the picture, content points with the zoomed
// width for a preview.
void DrawLineOrArrow(HDC surface, int x1, int y1, int x2, int y2, int width, COLORREF colour, bool arrow);

// Forgets an unfinished polygon and a curve between its stages (Esc, the triple right-click, a tool change);
// true when there was one. A shape forgotten while its button is held adds nothing at the release.
bool CancelUnfinishedShapes();
bool IsPolygonInProgress();
int CurveStage();
// Takes back the last step of an unfinished multi-click shape; false when none is being built, so that
// Undo goes on to the picture.
bool TakeBackUnfinishedShape();
// Forgets every unfinished shape (a new canvas).
void ResetShapeStates();

extern const ToolRow kLineRow;
extern const ToolRow kCurveRow;
extern const ToolRow kBoxShapeRow; // Rectangle, Ellipse and Rounded Rectangle
extern const ToolRow kPolygonRow;
