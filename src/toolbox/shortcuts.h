// Keyboard shortcuts: tool letters, option digits and command keys, also under a Korean input method.
#pragma once
#include <windows.h>
#include <imm.h>

// Whether the key or character was taken as a shortcut.
bool HandleShortcutKey(UINT virtualKey, LPARAM keyData, HWND target);
bool HandleShortcutChar(WPARAM character);
// The key as the upper-case letter of its physical key where possible, otherwise the key itself.
unsigned NormalizeKey(UINT key, LPARAM flags, HWND window);
// Whether the input method's virtual-key function was found (looked up at the first need).
bool HasImeVirtualKeyFunction();

using ImeVirtualKeyFn = decltype(&ImmGetVirtualKey);
// UI thread only. The input method's library, looked up by name at the first key that needs it; tests name a
// library that does not exist to see the keys work without it.
struct ImeLookup {
    const char* library = "imm32.dll";
    bool done = false;
    ImeVirtualKeyFn getVirtualKey = nullptr;
};
extern ImeLookup g_imeLookup;
