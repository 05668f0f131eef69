// startup_steps: Kolvex's own start-up, step by step, timed from inside the process. The steps are the program's
// own table; a CBT hook splits the main window's creation by the windows it creates, and the first paint is
// what the message queue holds after the window shows. Prints "<ms> <step>" lines; the caller runs it several
// times and takes the medians. With the argument "messages" it also lists the messages that take longest, at a
// cost: the two message hooks slow every message down, so the step times then run high.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shell/app.h"

namespace {

LARGE_INTEGER g_frequency;

double Ms(LONGLONG from, LONGLONG to) { return 1000.0 * static_cast<double>(to - from) / g_frequency.QuadPart; }

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

struct Created {
    LONGLONG at;
    std::string cls;
};
std::vector<Created> g_created;

LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        char cls[64] = "?";
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        if (create->lpcs && !IS_INTRESOURCE(create->lpcs->lpszClass))
            GetClassNameA(reinterpret_cast<HWND>(wParam), cls, sizeof cls);
        g_created.push_back({Now(), cls});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Messages the program's windows handle during a step, with their own time (less what they sent themselves),
// when it is at least kSlowMessageMs.
constexpr double kSlowMessageMs = 0.25;
struct Handling {
    LONGLONG start;
    LONGLONG nested = 0; // time spent in messages sent while this one was handled
    UINT msg;
    HWND hwnd;
};
std::vector<Handling> g_handling;
struct SlowMessage {
    double ms;
    UINT msg;
    std::string cls;
};
std::vector<SlowMessage> g_slow;

LRESULT CALLBACK OnCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* m = reinterpret_cast<CWPSTRUCT*>(lParam);
        g_handling.push_back({Now(), 0, m->message, m->hwnd});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnCallWndProcRet(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && !g_handling.empty()) {
        const Handling h = g_handling.back();
        g_handling.pop_back();
        const LONGLONG total = Now() - h.start;
        if (!g_handling.empty()) g_handling.back().nested += total;
        const double own = Ms(0, total - h.nested);
        if (own >= kSlowMessageMs) {
            char cls[64] = "?";
            GetClassNameA(h.hwnd, cls, sizeof cls);
            g_slow.push_back({own, h.msg, cls});
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The time from the process's creation to its first instruction here: loading the program and its libraries.
double MsSinceProcessCreation() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](FILETIME f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    const bool messages = commandLine && std::strstr(commandLine, "messages");
    const double loading = MsSinceProcessCreation();
    QueryPerformanceFrequency(&g_frequency);
    std::printf("%.2f loading (process creation to WinMain)\n", loading);
    HHOOK hook = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
    HHOOK sent = messages ? SetWindowsHookExA(WH_CALLWNDPROC, OnCallWndProc, nullptr, GetCurrentThreadId()) : nullptr;
    HHOOK returned =
        messages ? SetWindowsHookExA(WH_CALLWNDPROCRET, OnCallWndProcRet, nullptr, GetCurrentThreadId()) : nullptr;
    StartupContext c{instance, showCommand};
    const LONGLONG start = Now();
    for (const StartupStep& step : StartupSteps()) {
        g_created.clear();
        g_slow.clear();
        const LONGLONG before = Now();
        if (!step.run(c)) {
            std::printf("step %s failed\n", step.name);
            return 1;
        }
        const LONGLONG after = Now();
        std::printf("%.2f %s\n", Ms(before, after), step.name);
        // Each window created during the step, with the time from the previous one (or the step's start).
        LONGLONG mark = before;
        for (const Created& w : g_created) {
            std::printf("%.2f   until %s is created\n", Ms(mark, w.at), w.cls.c_str());
            mark = w.at;
        }
        if (!g_created.empty()) std::printf("%.2f   after the last window\n", Ms(mark, after));
        for (const SlowMessage& m : g_slow)
            std::printf("%.2f   message 0x%04X to %s (its own time)\n", m.ms, m.msg, m.cls.c_str());
    }
    for (HHOOK h : {hook, sent, returned})
        if (h) UnhookWindowsHookEx(h);
    const LONGLONG shown = Now();
    MSG msg;
    int handled = 0;
    while (handled < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ProcessMessage(msg);
        ++handled;
    }
    const LONGLONG painted = Now();
    std::printf("%.2f queue after showing (%d messages: the children's first paint)\n", Ms(shown, painted), handled);
    std::printf("%.2f total in WinMain\n", Ms(start, painted));
    std::fflush(stdout);
    DestroyWindow(c.main);
    return 0;
}
