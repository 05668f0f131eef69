#include "toolbox/color_box.h"

ColorState g_colors;

// The palette arrives with the colour box itself; until then the window is a plain band.
LRESULT CALLBACK ColorBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
