// Fill With Color, Pick Color and the Magnifier: tools that act once, at a press inside the picture.
#pragma once
#include <cstddef>

#include "tools/tool_row.h"

extern const ToolRow kFillRow;
extern const ToolRow kPickColorRow;
extern const ToolRow kMagnifierRow;

// The most points a fill's queue may hold; tests lower it to see the out-of-memory path.
extern size_t g_fillQueueLimit;
