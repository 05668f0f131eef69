#include "capture/snip_window.h"

// The overlay class is registered at start-up; the capture itself arrives later, so no snip ever starts.
LRESULT CALLBACK SnipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void StartScreenSnip() {}
void CancelScreenSnip() {}
HWND SnipWindow() { return nullptr; }
