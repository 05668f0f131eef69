// The update check as the shell sees it: the command that starts it and its single-instance progress window.
// UI thread only.
#pragma once
#include <windows.h>

constexpr wchar_t kUpdateClass[] = L"KolvexUpdateClass";
// Private messages of the update window, sent by the worker.
constexpr UINT kMsgCloseUpdateWindow = WM_USER + 101;
constexpr UINT kMsgShowUpdateWindow = WM_USER + 102; // wParam: SW_HIDE or SW_SHOW
constexpr UINT kMsgUpdateCommitted = WM_USER + 103;  // from now on Cancel no longer stops the update
constexpr UINT kMsgSnipHotKeys = WM_USER + 104;      // wParam 0 gives up the snip hot keys, 1 takes them back
constexpr int kUpdateLabelId = 101;
constexpr int kUpdateProgressId = 102;

// Commands 501 and 601 and the About window's button: brings a running check's window to the front, or opens
// the window and starts a check in a worker thread. owner null means the main window. Returns at once.
void CheckForUpdates(HWND owner);
// The window while it is open, or null.
HWND UpdateWindowHandle();
LRESULT CALLBACK UpdateWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
