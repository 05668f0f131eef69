// The Bezier path tool.
#pragma once
#include "tools/tool_row.h"

// Anchors of the path being built.
int PathAnchorCount();

extern const ToolRow kPathRow;
