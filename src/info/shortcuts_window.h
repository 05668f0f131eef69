// The modeless keyboard shortcuts reference: the fixed text in a read-only monospace field. Topmost; several may
// be open. UI thread only.
#pragma once
#include <windows.h>

constexpr wchar_t kShortcutsClass[] = L"KolvexShortcutsClass";
constexpr int kShortcutsTextId = 101;

// Commands 502 and 602 (F1) and the About window's button. Returns the window, or null.
HWND ShowShortcutsWindow(HWND owner);
LRESULT CALLBACK ShortcutsWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
