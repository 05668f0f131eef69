// Keyboard shortcuts: tool letters, option digits and command keys.
#pragma once
#include <windows.h>

// Whether the key or character was taken as a shortcut.
bool HandleShortcutKey(UINT virtualKey, LPARAM keyData, HWND target);
bool HandleShortcutChar(WPARAM character);
