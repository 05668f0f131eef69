// Runs kolvex_clipboard_helper, the second program on the clipboard, from a window test: it lives until the
// holder goes out of scope (or 60 s), so that what it put on the clipboard stays there.
#pragma once
#include <windows.h>

#include <chrono>
#include <string>

#include "support/app_fixture.h"

inline std::wstring ClipboardHelperPath() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + L"kolvex_clipboard_helper.exe";
}

class ClipboardHelper {
public:
    explicit ClipboardHelper(const std::wstring& args) {
        ready_ = CreateEventW(nullptr, TRUE, FALSE, L"KolvexClipHelperReady");
        quit_ = CreateEventW(nullptr, TRUE, FALSE, L"KolvexClipHelperQuit");
        release_ = CreateEventW(nullptr, TRUE, FALSE, L"KolvexClipHelperRelease");
        ResetEvent(ready_);
        ResetEvent(quit_);
        ResetEvent(release_);
        std::wstring line = L"\"" + ClipboardHelperPath() + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) return;
        started_ = PumpUntil([&] { return WaitForSingleObject(ready_, 0) == WAIT_OBJECT_0; },
                             std::chrono::milliseconds(20000));
    }
    ~ClipboardHelper() {
        SetEvent(quit_);
        if (pi_.hProcess) {
            WaitForSingleObject(pi_.hProcess, 10000);
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
        CloseHandle(ready_);
        CloseHandle(quit_);
        CloseHandle(release_);
    }
    ClipboardHelper(const ClipboardHelper&) = delete;
    ClipboardHelper& operator=(const ClipboardHelper&) = delete;
    bool Started() const { return started_; }
    // A held clipboard is closed; the helper stays the owner of what it put there.
    void Release() { SetEvent(release_); }
    DWORD Wait() {
        DWORD code = 1;
        PumpUntil([&] { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; },
                  std::chrono::milliseconds(20000));
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    HANDLE ready_ = nullptr, quit_ = nullptr, release_ = nullptr;
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};
