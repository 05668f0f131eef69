#include "filters/filter_commands.h"

#include "base/app_windows.h"
#include "toolbox/tool_state.h"

void ToggleDrawOpaque() {
    g_tools.selectionTransparent = !g_tools.selectionTransparent;
    // The menu's check follows when the menu opens; the canvas and the selection panel show it now.
    RepaintCanvas();
    RepaintToolBox();
}
