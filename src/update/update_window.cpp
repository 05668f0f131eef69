// The update window: a topmost progress window with a Cancel button that lives while its worker checks,
// downloads and installs. It keeps its own reference to the job, so a Cancel queued behind the worker's end
// still finds the record, and its own owner (the window's owner, not the job's).
#include "update/update_window.h"

#include <commctrl.h>

#include <new>

#include "capture/snip_window.h"
#include "shell/dialog_frame.h"
#include "base/app_windows.h"
#include "update/update_core.h"
#include "update/update_job.h"

namespace {

// UI thread only. At most one window exists; job is its hold on the job while it is open.
struct UpdateWindowState {
    HWND window = nullptr;
    JobHold<UpdateJob> job;
};
UpdateWindowState g_update;

void Forget(HWND hwnd) {
    g_update.job.LetGo();
    if (g_update.window == hwnd) g_update.window = nullptr;
}

void OnCancel(HWND hwnd) {
    if (!g_update.job.CancelAndLetGo()) return; // the update is being applied; stopping now would break it
    Forget(hwnd);
    DestroyWindow(hwnd);
}

void OnCloseRequest(HWND hwnd) {
    Forget(hwnd);
    DestroyWindow(hwnd);
}

LRESULT OnSnipHotKeys(WPARAM take) {
    if (!g_app.main) return 0;
    if (take)
        RegisterSnipHotKeys(g_app.main);
    else
        UnregisterSnipHotKeys(g_app.main);
    return 1;
}

HWND AddProgressBar(HWND window) {
    return CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 20, 50, 340, 20, window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kUpdateProgressId)), g_app.instance, nullptr);
}

// The window and its controls, owned by owner; null when it cannot be made.
HWND CreateUpdateWindow(HWND owner, UpdateJob* job) {
    HWND w = CreateDialogWindow(kUpdateClass, UpdateWindowProc, L"Kolvex Update", 380, 150, owner);
    if (!w) return nullptr;
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    job->window = w;
    job->label = AddDialogControl(w, DialogControl::Label, L"Checking for updates from server...", 20, 20, 340, 20,
                                  kUpdateLabelId);
    job->progress = AddProgressBar(w);
    job->cancelButton = AddDialogControl(w, DialogControl::CancelButton, L"Cancel", 140, 85, 100, 26);
    if (job->cancelButton) SetFocus(job->cancelButton);
    return w;
}

} // namespace

HWND UpdateWindowHandle() { return g_update.window; }

void CheckForUpdates(HWND owner) {
    if (g_update.window && IsWindow(g_update.window)) {
        SetForegroundWindow(g_update.window);
        return;
    }
    if (!owner || !IsWindow(owner)) owner = g_app.main;
    auto* job = new (std::nothrow) UpdateJob;
    if (!job) return;
    job->owner = owner;
    job->mainWindow = g_app.main;
    HWND w = CreateUpdateWindow(owner, job);
    if (!w) {
        delete job;
        return;
    }
    g_update.window = w;
    g_update.job.Reset(job);
    HANDLE thread = CreateThread(nullptr, 0, RunUpdateCheck, job, 0, nullptr);
    if (!thread) {
        JobHold<UpdateJob> workerHold(job); // the worker's reference, let go at once
        OnCloseRequest(w);
        return;
    }
    CloseHandle(thread);
}

LRESULT CALLBACK UpdateWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
        if (wParam != VK_ESCAPE) break;
        SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) OnCancel(hwnd);
        return 0;
    case WM_CLOSE: OnCancel(hwnd); return 0;
    case kMsgCloseUpdateWindow: OnCloseRequest(hwnd); return 0;
    case kMsgShowUpdateWindow: ShowWindow(hwnd, static_cast<int>(wParam)); return 0;
    case kMsgUpdateCommitted: EnableWindow(GetDlgItem(hwnd, IDCANCEL), FALSE); return 0;
    case kMsgSnipHotKeys: return OnSnipHotKeys(wParam);
    case WM_DESTROY:
        Forget(hwnd);
        OnDialogDestroyed(hwnd);
        return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool SendToUpdateWindow(HWND target, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR r = 0;
    if (!target || !SendMessageTimeoutW(target, msg, wParam, lParam, SMTO_NORMAL, 2000, &r)) return false;
    if (result) *result = static_cast<LRESULT>(r);
    return true;
}

void CloseUpdateWindow(UpdateJob& job) {
    HWND window = job.window;
    job.window = job.label = job.progress = job.cancelButton = nullptr;
    // A busy UI thread gets the request queued; the window's own reference keeps the job valid until then.
    if (window && !SendToUpdateWindow(window, kMsgCloseUpdateWindow, 0, 0))
        PostMessageW(window, kMsgCloseUpdateWindow, 0, 0);
}
