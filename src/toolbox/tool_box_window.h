// The tool box: the tool buttons and the option panel of the current tool.
#pragma once
#include <windows.h>

constexpr wchar_t kToolBoxClass[] = L"KolvexToolBoxClass";

LRESULT CALLBACK ToolBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Builds the button tooltips again, replacing any existing tooltip window.
void InitToolBox(HWND toolBox);
// The tooltip window of the buttons, or null without the common controls.
HWND ToolBoxToolTip();
