#include "tools/path_tool.h"

// The path tool arrives later; until then no path has anchors and a press adds none.
int PathAnchorCount() { return 0; }

const ToolRow kPathRow{};
