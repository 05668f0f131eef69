#include "toolbox/shortcuts.h"

#include "shell/commands.h"
#include "shell/main_window.h"

// Only undo and redo have keys so far; every other key takes its normal way.
bool HandleShortcutKey(UINT virtualKey, LPARAM, HWND) {
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0) return false;
    if (virtualKey != 'Z' && virtualKey != 'Y') return false;
    if (g_app.main) SendMessageW(g_app.main, WM_COMMAND, virtualKey == 'Z' ? kCmdUndo : kCmdRedo, 0);
    return true;
}

bool HandleShortcutChar(WPARAM) { return false; }
