#include "tools/shape_tools.h"

// No multi-click shape tool exists yet, so there is never one to take back.
bool TakeBackUnfinishedShape() { return false; }
