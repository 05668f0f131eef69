// Fuzzy select: a click selects the contiguous region of similar colours as a lifted, transparent free-form
// selection.
#pragma once
#include <cstddef>

#include "tools/tool_row.h"

// The region around picture point (x, y) within tolerance becomes the selection: two undo levels, one before
// it is made and one at its lift. The caller has settled the earlier selection.
void SelectSimilarRegion(int x, int y, int tolerance);

extern const ToolRow kFuzzySelectRow;

// The most points the region's queue may hold; tests lower it to see the out-of-memory path.
extern size_t g_fuzzyQueueLimit;
