#include "tools/path_tool.h"

// The path tool arrives later; until then no path has anchors.
int PathAnchorCount() { return 0; }
