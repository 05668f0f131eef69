// startup_probe <exe> <window-title> <runs> [warm-up runs]: how long a GUI program takes from CreateProcessW
// until its top-level window with that exact title is visible, and how much memory it holds at that moment.
// Prints figures only; the caller decides what they mean.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

// Bounds of every wait, so that a program that never shows its window or never exits costs at most this.
static constexpr int kMaxRuns = 100;
static constexpr DWORD kPollStepMs = 1;
static constexpr double kShowTimeoutMs = 20000.0;
static constexpr DWORD kExitTimeoutMs = 10000;

struct RunResult {
    double showMs = 0;
    DWORD exitCode = STILL_ACTIVE;
    double pagefileKiB = 0;
    double workingSetKiB = 0;
};

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h) : h_(h) {}
    ~ScopedHandle() {
        if (h_) CloseHandle(h_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

static double TicksToMs(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency);
}

static LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// Another process may have a window of the same title; only the child's own counts.
static HWND FindVisibleWindowOf(DWORD pid, const wchar_t* title) {
    HWND hwnd = nullptr;
    for (int i = 0; i < 1000; ++i) {
        hwnd = FindWindowExW(nullptr, hwnd, nullptr, title);
        if (!hwnd) return nullptr;
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && IsWindowVisible(hwnd)) return hwnd;
    }
    return nullptr;
}

// Polls until the window is up; null if the child exited first or the deadline passed.
static HWND WaitForWindow(const PROCESS_INFORMATION& pi, const wchar_t* title, LONGLONG start, LONGLONG* shownAt) {
    const int maxPolls = static_cast<int>(kShowTimeoutMs / kPollStepMs);
    for (int i = 0; i <= maxPolls; ++i) {
        if (HWND hwnd = FindVisibleWindowOf(pi.dwProcessId, title)) {
            *shownAt = Now();
            return hwnd;
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
        if (TicksToMs(Now() - start) > kShowTimeoutMs) return nullptr;
        Sleep(kPollStepMs);
    }
    return nullptr;
}

// Closes the window as a user would and waits for the process; a child that ignores WM_CLOSE is
// terminated so that the next run starts clean.
static bool CloseChild(HANDLE process, HWND hwnd) {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, kExitTimeoutMs) == WAIT_OBJECT_0) return true;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, kExitTimeoutMs);
    return false;
}

[[nodiscard]] static bool ProbeOnce(const std::wstring& exe, const wchar_t* title, RunResult* out) {
    std::wstring cmdLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const LONGLONG start = Now();
    if (!CreateProcessW(exe.c_str(), cmdLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "startup_probe: CreateProcessW failed (error %lu)\n", GetLastError());
        return false;
    }
    ScopedHandle process(pi.hProcess);
    ScopedHandle thread(pi.hThread);

    LONGLONG shownAt = 0;
    HWND hwnd = WaitForWindow(pi, title, start, &shownAt);
    if (!hwnd) {
        std::fprintf(stderr, "startup_probe: no visible window with that title within %.0f ms\n", kShowTimeoutMs);
        if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, kExitTimeoutMs);
        return false;
    }
    out->showMs = TicksToMs(shownAt - start);

    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof(pmc))) {
        out->pagefileKiB = static_cast<double>(pmc.PagefileUsage) / 1024.0;
        out->workingSetKiB = static_cast<double>(pmc.WorkingSetSize) / 1024.0;
    } else {
        std::fprintf(stderr, "startup_probe: GetProcessMemoryInfo failed (error %lu)\n", GetLastError());
    }

    if (!CloseChild(pi.hProcess, hwnd)) std::fprintf(stderr, "startup_probe: the program ignored WM_CLOSE\n");
    GetExitCodeProcess(pi.hProcess, &out->exitCode);
    return true;
}

static double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t mid = v.size() / 2;
    return v.size() % 2 ? v[mid] : (v[mid - 1] + v[mid]) / 2.0;
}

static void PrintRun(const char* label, int n, const RunResult& r) {
    std::printf("%s %d: %.1f ms  pagefile %.0f KiB  working set %.0f KiB  exit %lu\n", label, n, r.showMs,
                r.pagefileKiB, r.workingSetKiB, r.exitCode);
}

int wmain(int argc, wchar_t** argv) {
    const int runs = argc == 4 || argc == 5 ? _wtoi(argv[3]) : 0;
    const int warmUps = argc == 5 ? _wtoi(argv[4]) : 0;
    if (runs < 1 || runs > kMaxRuns || warmUps < 0 || warmUps > kMaxRuns) {
        std::fprintf(stderr, "usage: startup_probe <exe> <window-title> <runs 1..%d> [warm-up runs]\n", kMaxRuns);
        return 2;
    }
    const std::wstring exe = argv[1];
    const wchar_t* title = argv[2];

    // The first child of a probe process is measured apart: its memory figure runs about 1 MiB high.
    for (int i = 0; i < warmUps; ++i) {
        RunResult r;
        if (!ProbeOnce(exe, title, &r)) {
            std::printf("warm-up %d: failed\n", i + 1);
            continue;
        }
        PrintRun("warm-up", i + 1, r);
    }
    std::vector<double> times, pagefile, workingSet;
    for (int i = 0; i < runs; ++i) {
        RunResult r;
        if (!ProbeOnce(exe, title, &r)) {
            std::printf("run %d: failed\n", i + 1);
            continue;
        }
        PrintRun("run", i + 1, r);
        times.push_back(r.showMs);
        pagefile.push_back(r.pagefileKiB);
        workingSet.push_back(r.workingSetKiB);
    }
    // Fixed keys, one per line, so that scripts can pick the figures out.
    std::printf("runs_ok %zu of %d\n", times.size(), runs);
    std::printf("median_ms %.1f\n", Median(times));
    std::printf("median_pagefile_kib %.0f\n", Median(pagefile));
    std::printf("median_workingset_kib %.0f\n", Median(workingSet));
    std::fflush(stdout);
    return static_cast<int>(times.size()) == runs ? 0 : 1;
}
