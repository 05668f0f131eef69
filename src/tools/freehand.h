// The brush, ink pen, airbrush and eraser on the picture's pixels.
#pragma once
#include "tools/tool_row.h"

extern const ToolRow kEraserRow;
extern const ToolRow kBrushRow;
extern const ToolRow kAirbrushRow;

// Ends an ink stroke in progress without its tip (a new canvas).
void ForgetInkStroke();
