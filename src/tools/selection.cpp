#include "tools/selection.h"

// Selections arrive with the selection tools; until then there is never one.
bool HasSelection() { return false; }
