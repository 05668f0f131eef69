#include "toolbox/shortcuts.h"

// No key is a shortcut yet: every key takes its normal way.
bool HandleShortcutKey(UINT, LPARAM, HWND) { return false; }
bool HandleShortcutChar(WPARAM) { return false; }
