// The pencil: 1-pixel Bresenham lines written straight into the pixels, or a round GDI stroke when wider.
#pragma once
#include "tools/tool_row.h"

extern const ToolRow kPencilRow;
