// The tool box: the tool buttons and the option panel of the current tool.
#pragma once
#include <windows.h>

constexpr wchar_t kToolBoxClass[] = L"KolvexToolBoxClass";

LRESULT CALLBACK ToolBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Runs once after the window exists (its tooltips).
void InitToolBox(HWND toolBox);
// Shows the current tool's description in status part 0.
void ShowToolDescription();
