// The modeless About window: name, version, build and features, with buttons to the shortcuts reference and
// to the update check. Topmost; several may be open. UI thread only.
#pragma once
#include <windows.h>

constexpr wchar_t kAboutClass[] = L"KolvexAboutClass";
constexpr int kAboutCheckUpdatesId = 9001;
constexpr int kAboutShortcutsId = 9002;

// Command 603. Returns the focused OK button, or null when the window cannot be made.
HWND ShowAboutWindow(HWND owner);
LRESULT CALLBACK AboutWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
