// The tool box: the tool buttons and the option panel of the current tool.
#pragma once
#include <windows.h>

constexpr wchar_t kToolBoxClass[] = L"KolvexToolBoxClass";

LRESULT CALLBACK ToolBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The tooltip window of the buttons, built at the first pointer move over the tool box; null before that and
// without the common controls.
HWND ToolBoxToolTip();
