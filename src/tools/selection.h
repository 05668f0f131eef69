// The floating selection and the two selection tools.
#pragma once
#include "tools/tool_row.h"

bool HasSelection();

extern const ToolRow kFreeFormSelectRow;
extern const ToolRow kSelectRow;
