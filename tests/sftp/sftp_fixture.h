// What the SFTP window tests share: a fixture that starts without SFTP registry values, fake clients put where
// the program looks for clients, their logs, message boxes read whole, and a driver for the modal dialog.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sftp/sftp_dialog.h"
#include "sftp/sftp_job.h"
#include "sftp/sftp_process.h"
#include "sftp/sftp_profiles.h"
#include "sftp/sftp_temp.h"
#include "shell/commands.h"
#include "base/app_windows.h"
#include "base/text_convert.h"
#include "support/app_fixture.h"

namespace sftp_test {

constexpr wchar_t kSftpKey[] = L"Software\\Kolvex\\SFTP";

inline std::string Narrow(const std::wstring& s) { return WideToUtf8(s); }

inline std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.rfind(L'\\'));
}

inline std::wstring FakeClient() { return ExeFolder() + L"\\kolvex_fake_sftp_client.exe"; }

// The kolvex_sftp_* files in a folder (the temporary folder when empty).
inline std::vector<std::wstring> SftpTempFiles(std::wstring folder = {}) {
    if (folder.empty()) folder = SftpTempFolder();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"kolvex_sftp_*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do
        names.push_back(fd.cFileName);
    while (FindNextFileW(find, &fd));
    FindClose(find);
    return names;
}

// Whether two files hold the same bytes: a fake is removed only where it is a copy of the fake.
inline bool CompareFileContents(const std::wstring& a, const std::wstring& b) {
    return FileExists(a) && ReadWholeFile(a).value_or("") == ReadWholeFile(b).value_or("");
}

inline bool ProcessRunning(DWORD pid) {
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!h) return false;
    const bool running = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return running;
}

// One run of the fake client, read back from its log: every record under its key, in order.
struct FakeRun {
    std::map<std::string, std::vector<std::string>> records;
    const std::string& One(const std::string& key) const {
        static const std::string none;
        auto it = records.find(key);
        return it == records.end() || it->second.empty() ? none : it->second.front();
    }
    std::vector<std::wstring> Args() const {
        std::vector<std::wstring> out;
        auto it = records.find("arg");
        if (it != records.end())
            for (const std::string& a : it->second)
                out.push_back(Utf8ToWide(a));
        return out;
    }
    DWORD Pid() const { return static_cast<DWORD>(std::stoul(One("pid").empty() ? "0" : One("pid"))); }
};

inline FakeRun ParseFakeLog(const std::string& log) {
    FakeRun run;
    size_t i = 0;
    while (i < log.size()) {
        const size_t blank = log.find(' ', i), line = log.find('\n', i);
        if (blank == std::string::npos || line == std::string::npos || blank > line) break;
        const std::string key = log.substr(i, blank - i);
        const size_t length = std::stoul(log.substr(blank + 1, line - blank - 1));
        run.records[key].push_back(log.substr(line + 1, length));
        i = line + 1 + length + 1;
    }
    return run;
}

// Message boxes of this thread, answered with one button and read whole (a failure text can be long).
struct BoxSeen {
    std::wstring caption, text;
    HWND owner = nullptr;
};

inline std::wstring WholeText(HWND w) {
    const int n = GetWindowTextLengthW(w);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(w, text.data(), n + 1)));
    return text;
}

inline BOOL CALLBACK LongestStatic(HWND child, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(child, cls, 16);
    auto* text = reinterpret_cast<std::wstring*>(found);
    if (_wcsicmp(cls, L"Static") == 0) {
        const std::wstring t = WholeText(child);
        if (t.size() > text->size()) *text = t;
    }
    return TRUE;
}

inline BoxSeen ReadBox(HWND box) {
    BoxSeen seen;
    seen.caption = WholeText(box);
    EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&seen.text));
    seen.owner = GetWindow(box, GW_OWNER);
    return seen;
}

// A step of the dialog driver: true when done, false to be tried again at the next tick.
using Step = std::function<bool(HWND dialog)>;

struct Driver {
    std::vector<Step> steps;
    size_t next = 0;
    bool busy = false;
    bool timedOut = false;
    ULONGLONG deadline = 0;
};
inline Driver g_driver;

inline void CALLBACK DriveTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_driver.busy || g_driver.next >= g_driver.steps.size()) return;
    g_driver.busy = true;
    HWND dialog = FindWindowW(kSftpDialogClass, nullptr);
    if (GetTickCount64() > g_driver.deadline) {
        // A broken dialog fails the test instead of hanging it.
        g_driver.timedOut = true;
        if (HWND box = FindThreadDialog()) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
        g_driver.next = g_driver.steps.size();
    } else if (g_driver.steps[g_driver.next](dialog)) {
        ++g_driver.next;
    }
    g_driver.busy = false;
}

// Sends command 108 and runs the steps, one per tick of a timer that fires inside the dialog's loop, inside
// message boxes and, once the dialog has closed, in the main loop. True when all ran in time.
inline bool DriveSftpDialog(std::vector<Step> steps, int timeoutMs = 10000) {
    g_driver = {};
    g_driver.steps = std::move(steps);
    g_driver.deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    const UINT_PTR timer = SetTimer(nullptr, 0, 15, DriveTimer);
    PostMessageW(g_app.main, WM_COMMAND, kCmdUploadSftp, 0);
    PumpUntil([] { return g_driver.next >= g_driver.steps.size(); }, std::chrono::milliseconds(timeoutMs + 2000));
    KillTimer(nullptr, timer);
    PumpUntil([] { return !FindWindowW(kSftpDialogClass, nullptr); }, std::chrono::milliseconds(2000));
    return !g_driver.timedOut && g_driver.next >= g_driver.steps.size();
}

// Steps.
inline Step Do(std::function<void(HWND)> action) {
    return [action](HWND d) {
        action(d);
        return true;
    };
}
inline Step Click(int id) {
    return Do([id](HWND d) { PostMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(d, id)); });
}
inline Step SetText(int id, std::wstring text) {
    return Do([id, text](HWND d) { SetDlgItemTextW(d, id, text.c_str()); });
}
// Waits for a message box, keeps what it says in *seen and presses button.
inline Step Answer(int button, BoxSeen* seen) {
    return [button, seen](HWND) {
        HWND box = FindThreadDialog();
        if (!box) return false;
        *seen = ReadBox(box);
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
        return true;
    };
}
inline Step WaitFor(std::function<bool()> condition) {
    return [condition](HWND) { return condition(); };
}

inline std::wstring ItemText(HWND d, int id) { return DialogItemText(d, id); }

inline std::vector<std::wstring> ComboItems(HWND d, int id) {
    std::vector<std::wstring> items;
    const LRESULT n = SendDlgItemMessageW(d, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        const LRESULT length = SendDlgItemMessageW(d, id, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendDlgItemMessageW(d, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        items.push_back(text);
    }
    return items;
}

// Registry values of a profile, as the program wrote them.
inline bool ProfileValue(const std::wstring& profile, const wchar_t* name, DWORD* type, std::vector<BYTE>* data) {
    const std::wstring key =
        profile.empty() ? std::wstring(kSftpKey) : std::wstring(kSftpKey) + L"\\Profiles\\" + profile;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, nullptr, &size) !=
        ERROR_SUCCESS)
        return false;
    data->assign(size, 0);
    return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, data->data(), &size) ==
           ERROR_SUCCESS;
}

inline std::wstring ProfileText(const std::wstring& profile, const wchar_t* name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ProfileValue(profile, name, &type, &data) || type != REG_SZ) return L"<missing>";
    return std::wstring(reinterpret_cast<const wchar_t*>(data.data())).substr(0, data.size() / 2);
}

inline long ProfileNumber(const std::wstring& profile, const wchar_t* name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ProfileValue(profile, name, &type, &data) || type != REG_DWORD || data.size() != 4) return -1;
    return static_cast<long>(*reinterpret_cast<const DWORD*>(data.data()));
}

inline void SetRegValue(const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}
inline void SetRegText(const std::wstring& subkey, const wchar_t* name, const std::wstring& text) {
    SetRegValue(subkey, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
inline void SetRegNumber(const std::wstring& subkey, const wchar_t* name, DWORD n) {
    SetRegValue(subkey, name, REG_DWORD, &n, sizeof n);
}
inline std::wstring ProfileKey(const std::wstring& name) { return std::wstring(kSftpKey) + L"\\Profiles\\" + name; }

class SftpFixture : public AppFixture {
protected:
    void SetUp() override {
        programProtect_ = g_protectData;
        RegDeleteTreeW(HKEY_CURRENT_USER, kSftpKey);
        g_sftpProfiles = {};
        RemoveInstalled();
        logFolder_ = MakeTestFolder(L"kolvex_fake_log_");
        SetEnvironmentVariableW(L"KOLVEX_FAKE_LOG", logFolder_.c_str());
        SetEnvironmentVariableW(L"KOLVEX_FAKE_MODE", L"exit:0");
        SetEnvironmentVariableW(L"KOLVEX_FAKE_VERSION", L"0.78");
        path_ = EnvironmentValue(L"PATH");
        temp_ = EnvironmentValue(L"TEMP");
        tmp_ = EnvironmentValue(L"TMP");
        AppFixture::SetUp();
    }
    void TearDown() override {
        AppFixture::TearDown();
        g_protectData = programProtect_;
        g_assignProcessToJobObject = AssignProcessToJobObject;
        SetEnvironmentVariableW(L"PATH", path_.c_str());
        SetEnvironmentVariableW(L"TEMP", temp_.c_str());
        SetEnvironmentVariableW(L"TMP", tmp_.c_str());
        RemoveInstalled();
        RemoveTestFolder(logFolder_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSftpKey);
    }

    // Copies the fake client to path (making its folders), removed again at the end of the test.
    void Install(const std::wstring& path) {
        MakeFolders(path.substr(0, path.rfind(L'\\')));
        ASSERT_TRUE(CopyFileW(FakeClient().c_str(), path.c_str(), FALSE)) << Narrow(path);
        installed_.push_back(path);
    }
    void InstallInProgramFolder(const wchar_t* name) { Install(ExeFolder() + L"\\" + name); }

    // The runs of the fake client so far, in no particular order.
    std::vector<FakeRun> FakeRuns() const {
        std::vector<FakeRun> runs;
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((logFolder_ + L"\\fake_*.log").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE) return runs;
        do
            runs.push_back(ParseFakeLog(ReadWholeFile(logFolder_ + L"\\" + fd.cFileName).value_or("")));
        while (FindNextFileW(find, &fd));
        FindClose(find);
        return runs;
    }
    // The runs that uploaded, not those that answered -V.
    std::vector<FakeRun> Uploads() const {
        std::vector<FakeRun> out;
        for (const FakeRun& r : FakeRuns())
            if (!(r.Args().size() == 1 && r.Args()[0] == L"-V")) out.push_back(r);
        return out;
    }
    void ForgetFakeRuns() {
        for (const std::wstring& f : LogFiles())
            DeleteFileW(f.c_str());
    }

    std::wstring logFolder_;

private:
    ProtectDataFn programProtect_ = nullptr;
    void MakeFolders(const std::wstring& folder) {
        if (folder.size() <= 3 || FileExists(folder)) return;
        MakeFolders(folder.substr(0, folder.rfind(L'\\')));
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << Narrow(folder);
        madeFolders_.push_back(folder);
    }
    std::vector<std::wstring> LogFiles() const {
        std::vector<std::wstring> files;
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((logFolder_ + L"\\fake_*.log").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE) return files;
        do
            files.push_back(logFolder_ + L"\\" + fd.cFileName);
        while (FindNextFileW(find, &fd));
        FindClose(find);
        return files;
    }
    // Also what a test that ended early may have left where the program looks.
    void RemoveInstalled() {
        for (const wchar_t* name : {L"psftp.exe", L"sftp.exe", L"scp.exe"})
            DeleteFileW((ExeFolder() + L"\\" + name).c_str());
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        for (const std::wstring& p :
             {std::wstring(system) + L"\\OpenSSH\\sftp.exe", std::wstring(system) + L"\\OpenSSH\\scp.exe",
              std::wstring(L"C:\\Program Files\\PuTTY\\psftp.exe"),
              std::wstring(L"C:\\Program Files (x86)\\PuTTY\\psftp.exe")})
            if (CompareFileContents(p, FakeClient())) DeleteFileW(p.c_str());
        for (const std::wstring& p : installed_)
            DeleteFileW(p.c_str());
        for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it)
            RemoveDirectoryW(it->c_str());
        installed_.clear();
        madeFolders_.clear();
    }
    std::vector<std::wstring> installed_, madeFolders_;
    std::wstring path_, temp_, tmp_;
};

// A job as the dialog makes it, for a rendered picture of the given bytes in the temporary folder.
inline std::unique_ptr<SftpUploadJob> MakeJob(SftpToolKind kind, const std::wstring& toolPath,
                                              const std::string& picture = "picture bytes") {
    auto job = std::make_unique<SftpUploadJob>();
    job->host = L"example.org";
    job->port = 2222;
    job->username = L"ann";
    job->remoteDir = L"/var/www/uploads/";
    job->remoteFileName = L"shot.png";
    job->tool.kind = kind;
    job->tool.path = toolPath;
    job->tool.label = L"Fake client";
    job->owner = g_app.main;
    EXPECT_TRUE(ReserveSftpTempPicture(L".png", &job->tempStem, &job->tempImagePath));
    EXPECT_TRUE(WriteWholeFile(job->tempImagePath, picture));
    return job;
}

// Waits for the next message box an upload asks for and answers it with OK.
inline bool WaitForBox(BoxSeen* seen, int timeoutMs = 10000) {
    bool answered = false;
    g_driver = {};
    g_driver.steps = {Answer(IDOK, seen), Do([&answered](HWND) { answered = true; })};
    g_driver.deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    const UINT_PTR timer = SetTimer(nullptr, 0, 15, DriveTimer);
    PumpUntil([&] { return answered || g_driver.timedOut; }, std::chrono::milliseconds(timeoutMs + 1000));
    KillTimer(nullptr, timer);
    return answered;
}

// Starts the job and waits for its message box.
inline bool UploadAndWait(std::unique_ptr<SftpUploadJob> job, BoxSeen* seen, int timeoutMs = 10000) {
    return StartSftpUpload(std::move(job)) && WaitForBox(seen, timeoutMs);
}

} // namespace sftp_test
