#include "tools/selection.h"

// Selections arrive with the selection tools; until then there is never one, and a drag selects nothing.
bool HasSelection() { return false; }

const ToolRow kFreeFormSelectRow{};
const ToolRow kSelectRow{};
