// Keyboard shortcuts: tool letters, option digits and command keys, also under a Korean input method.
#pragma once
#include <windows.h>

// Whether the key or character was taken as a shortcut.
bool HandleShortcutKey(UINT virtualKey, LPARAM keyData, HWND target);
bool HandleShortcutChar(WPARAM character);
// The key as the upper-case letter of its physical key where possible, otherwise the key itself.
unsigned NormalizeKey(UINT key, LPARAM flags, HWND window);
// Whether the input method's virtual-key function was found (looked up at the first need).
bool HasImeVirtualKeyFunction();
