#include "toolbox/tool_state.h"

ToolOptions g_tools;
