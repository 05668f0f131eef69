// The full-screen snip overlay.
#pragma once
#include <windows.h>

constexpr wchar_t kSnipClass[] = L"KolvexSnipClass";

LRESULT CALLBACK SnipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void StartScreenSnip();
void CancelScreenSnip();
// The overlay while a snip runs, or null.
HWND SnipWindow();
