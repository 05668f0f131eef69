#include "update/update_install.h"

#include <objbase.h>
#include <shellapi.h>

#include "shell/dialog_frame.h"
#include "base/scoped_handles.h"
#include "base/text_convert.h"
#include "update/update_window.h"

namespace {

constexpr DWORD kStartWaitMs = 20000;
constexpr DWORD kStartStepMs = 100;

// COM for the shell's start of a program, on this thread for as long as the object lives.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// A program started through the shell; process is its handle when the shell gave one.
bool ShellStartEx(const wchar_t* verb, const std::wstring& file, const std::wstring& arguments, HANDLE* process) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = verb;
    info.lpFile = file.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return false;
    *process = info.hProcess;
    return true;
}

bool ShellStart(const wchar_t* verb, const std::wstring& file, const std::wstring& arguments) {
    const HINSTANCE r = ShellExecuteW(nullptr, verb, file.c_str(), arguments.empty() ? nullptr : arguments.c_str(),
                                      nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
}

bool HasEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

// Started means: waiting for input within the time limit and still running then.
bool CameUp(HANDLE process) {
    for (DWORD waited = 0; waited < kStartWaitMs; waited += kStartStepMs) {
        if (HasEnded(process)) return false;
        const DWORD r = WaitForInputIdle(process, kStartStepMs);
        if (r == 0) return !HasEnded(process);
        if (r == WAIT_FAILED) return false;
    }
    return false;
}

void StopProcess(HANDLE process) {
    if (!process) return;
    if (!HasEnded(process)) TerminateProcess(process, 1);
    // The image of a running program cannot be replaced, so the restore has to wait for its end.
    WaitForSingleObject(process, 10000);
}

void SetSnipHotKeys(UpdateJob& job, bool take) { SendToUpdateWindow(job.window, kMsgSnipHotKeys, take ? 1 : 0, 0); }

// Puts the new program in place of exe, keeping the old one as bak. False with nothing changed but .new removed.
bool SwapIn(const std::wstring& source, const std::wstring& exe, const std::wstring& bak) {
    const std::wstring fresh = exe + L".new";
    if (!CopyFileW(source.c_str(), fresh.c_str(), FALSE)) {
        DeleteFileW(fresh.c_str());
        return false;
    }
    if ((!DeleteFileW(bak.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) ||
        !MoveFileExW(exe.c_str(), bak.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(fresh.c_str());
        return false;
    }
    if (!MoveFileExW(fresh.c_str(), exe.c_str(), 0)) {
        MoveFileExW(bak.c_str(), exe.c_str(), MOVEFILE_REPLACE_EXISTING);
        DeleteFileW(fresh.c_str());
        return false;
    }
    return true;
}

// Starts exe and waits for it to come up; false with no new process left running.
bool StartNewProgram(const std::wstring& exe) {
    ComScope com;
    HANDLE process = nullptr;
    if (!ShellStartEx(L"open", exe, L"", &process) || !process) {
        if (process) CloseHandle(process);
        return false;
    }
    const bool up = CameUp(process);
    if (!up) StopProcess(process);
    CloseHandle(process);
    return up;
}

} // namespace

void FinishCheck(UpdateJob& job, const char* text, const char* caption, UINT icon) {
    CloseUpdateWindow(job);
    if (text) (void)PostMessageBoxRequest(job.mainWindow, Utf8ToWide(text), Utf8ToWide(caption), MB_OK | icon);
}

std::wstring TempFolder() {
    std::wstring folder(MAX_PATH + 1, L'\0');
    DWORD n = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (n >= folder.size()) {
        folder.assign(n + 1, L'\0');
        n = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    }
    folder.resize(n < folder.size() ? n : 0);
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder;
}

void RemoveOldDownloads() {
    const std::wstring folder = TempFolder();
    if (folder.empty()) return;
    FILETIME nowTime;
    GetSystemTimeAsFileTime(&nowTime);
    auto value = [](const FILETIME& t) { return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime; };
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"Kolvex_*.exe").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    do {
        if ((found.dwFileAttributes & kNotPlain) || !IsUpdateDownloadName(found.cFileName)) continue;
        if (IsOlderThanADay(value(found.ftLastWriteTime), value(nowTime)))
            DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return path.substr(0, n);
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

void StartInstaller(UpdateJob& job, const DownloadedFile& file, HANDLE verified) {
    ScopedHandle hold(verified);
    const std::wstring arguments = InstallerArguments(FolderOf(ProgramPath()));
    ComScope com;
    HANDLE process = nullptr;
    const bool started = ShellStartEx(L"open", file.path, arguments, &process) ||
                         ShellStartEx(L"runas", file.path, arguments, &process) ||
                         ShellStart(L"open", file.path, arguments) || ShellStart(L"runas", file.path, arguments);
    if (process) CloseHandle(process);
    if (!started) {
        CloseHandle(hold.Release()); // a file held open cannot be deleted
        DeleteFileW(file.path.c_str());
        FinishCheck(job, InstallerFailedMessage(WideToUtf8(file.path)).c_str(), kUpdateErrorCaption, MB_ICONWARNING);
        return;
    }
    // The installer stays in the temporary folder; a later check removes it once it is a day old.
    FinishCheck(job);
    PostMessageW(job.owner, WM_CLOSE, 0, 0);
}

void ReplaceProgram(UpdateJob& job, const DownloadedFile& file, HANDLE verified) {
    const std::wstring exe = ProgramPath(), bak = exe + L".bak";
    bool replaced = false;
    {
        ScopedHandle hold(verified);
        replaced = !exe.empty() && SwapIn(file.path, exe, bak);
    }
    DeleteFileW(file.path.c_str());
    if (replaced) {
        // The new program can only take the snip hot keys once this one has let them go.
        SetSnipHotKeys(job, false);
        if (StartNewProgram(exe)) {
            FinishCheck(job);
            (void)SendMessageBoxRequest(job.mainWindow, Utf8ToWide(kMsgUpdated), Utf8ToWide(kUpdateCompleteCaption),
                                        MB_OK | MB_ICONINFORMATION);
            PostMessageW(job.owner, WM_CLOSE, 0, 0);
            return;
        }
        MoveFileExW(bak.c_str(), exe.c_str(), MOVEFILE_REPLACE_EXISTING);
        SetSnipHotKeys(job, true);
    }
    FinishCheck(job, kMsgReplaceFailed, kUpdateErrorCaption, MB_ICONWARNING);
}
