// The brush, ink pen, airbrush and eraser on the picture's pixels. button: 1 left, 2 right; points are
// picture points; tick is the message time in milliseconds.
#pragma once
#include <cstdint>

#include "document/view_core.h"
#include "toolbox/tool_state.h"

void FreehandButtonDown(ToolId tool, int button, PicturePoint p, uint32_t tick);
void FreehandMove(ToolId tool, int button, PicturePoint from, PicturePoint to, uint32_t tick);
// One airbrush burst at the pointer, from the 40 ms timer.
void AirbrushTick(int button, PicturePoint p);
// Ends an ink stroke with its tapered tip; nothing when none is active.
void FinishInkStroke(int button);
