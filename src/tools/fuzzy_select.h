// Fuzzy select: a click selects the contiguous region of similar colours.
#pragma once
#include "tools/tool_row.h"

extern const ToolRow kFuzzySelectRow;
