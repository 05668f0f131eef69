#include "toolbox/tool_box_window.h"

#include "shell/status_bar.h"
#include "toolbox/tool_state.h"

// The buttons and the option panel arrive with the tool box itself; until then the window is a plain band
// and the pencil is the tool in use.
LRESULT CALLBACK ToolBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void InitToolBox(HWND) {}

void ShowToolDescription() { SetStatusText(kStatusMessage, ToolInfoOf(g_tools.currentTool).description); }
