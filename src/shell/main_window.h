// The main window: its class, its child windows and their layout, closing and dropped files.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "base/app_windows.h"

constexpr wchar_t kMainWindowClass[] = L"KolvexWindowClass";
constexpr int kColorBoxHeight = 42;
constexpr int kStatusBarHeight = 22;
constexpr int kToolBoxWidth = 56;

void RegisterWindowClasses(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance, HMENU menuBar);
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void LayoutChildWindows(HWND main);
// The first dropped file's full name, however long it is.
std::wstring DroppedFileName(HDROP drop);
