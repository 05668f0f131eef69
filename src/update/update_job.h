// The record the update window and its worker share, and the worker's side of the window's protocol.
#pragma once
#include <windows.h>

#include "update/update_job_core.h"

// The window fields are set on the UI thread before the worker starts and read by the worker only; the UI
// thread touches nothing but share once the worker runs.
struct UpdateJob {
    HWND window = nullptr;
    HWND label = nullptr;
    HWND progress = nullptr;
    HWND cancelButton = nullptr;
    HWND owner = nullptr;      // the window that asked; told to close when the update needs the program gone
    HWND mainWindow = nullptr; // shows the worker's message boxes
    UpdateJobShare share;      // the cancel flag, the session and the two references
    DWORD timeoutMs = 30000;   // connect, send and receive
};

// The worker thread; holds one reference to the job.
DWORD WINAPI RunUpdateCheck(void* job);
// Worker: closes the update window (waiting up to 2 s for the UI thread, else posting) and forgets its controls.
void CloseUpdateWindow(UpdateJob& job);
// Worker: a message to the update window or one of its controls, given up after 2 s; false when it is gone.
bool SendToUpdateWindow(HWND target, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);
