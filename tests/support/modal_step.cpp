#include "support/modal_step.h"

#include <string>

namespace {

// UI thread only: the run in progress; the timer procedures have no other way to reach it.
struct ModalStepRun {
    std::function<HWND()> find;
    std::function<void(HWND)> step;
    ModalStepResult result;
};
ModalStepRun* g_current = nullptr;

void CALLBACK StepTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_current || g_current->result.stepRan) return;
    HWND dialog = g_current->find();
    if (!dialog) return;
    KillTimer(nullptr, id);
    g_current->result.dialog = dialog;
    g_current->result.stepRan = true;
    g_current->step(dialog);
}

void CALLBACK SafetyTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!g_current) return;
    g_current->result.timedOut = true;
    HWND dialog = g_current->result.dialog ? g_current->result.dialog : g_current->find();
    if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
}

struct ClassSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (!IsWindowVisible(hwnd) || std::wstring(cls) != search->className) return TRUE;
    search->found = hwnd;
    return FALSE;
}

} // namespace

HWND FindThreadWindowOfClass(const wchar_t* className) {
    ClassSearch search{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

ModalStepResult RunModalStep(const std::function<HWND()>& find, const std::function<void(HWND dialog)>& step,
                             const std::function<void()>& open, UINT timeoutMs) {
    ModalStepRun run{find, step, {}};
    ModalStepRun* outer = g_current;
    g_current = &run;
    const UINT_PTR stepTimer = SetTimer(nullptr, 0, 20, StepTimer);
    const UINT_PTR safetyTimer = SetTimer(nullptr, 0, timeoutMs, SafetyTimer);
    open();
    KillTimer(nullptr, stepTimer);
    KillTimer(nullptr, safetyTimer);
    g_current = outer;
    return run.result;
}

ModalStepResult RunModalStep(const wchar_t* dialogClass, const std::function<void(HWND dialog)>& step,
                             const std::function<void()>& open, UINT timeoutMs) {
    const std::wstring cls = dialogClass;
    return RunModalStep([cls] { return FindThreadWindowOfClass(cls.c_str()); }, step, open, timeoutMs);
}
