// Runs the Linux psftp, sftp or scp for the end-to-end tests, under the client name it is copied as. Wine
// starts Linux programs but cannot wait for them or capture their output, so this Windows program takes the
// client's place: it maps the Windows paths it is given (arguments and the batch script's put line) to Unix
// paths, runs the client through sh with every argument single-quoted, waits for it and passes on its output
// and exit code.
//
// %KOLVEX_BRIDGE_CONFIG% (a Windows path) holds: extra_<client> (options put before the client's own, one a
// line), puttydir (the folder psftp keeps its host keys and random seed in), and receives log (each run's
// arguments, script and password file, "---" between runs) and handed (a copy of the picture it was given).
// The clients keep off the machine's SSH set-up through those options (-F /dev/null, known_hosts in the test
// folder); the agent is never asked.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "sftp/client_stand_in.h"

namespace {

using UnixNameFn = char*(CDECL*)(LPCWSTR);

bool WriteFileBytes(const std::wstring& path, const std::string& bytes, bool append = false) {
    HANDLE h = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           append ? OPEN_ALWAYS : CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
    CloseHandle(h);
    return ok;
}

std::string UnixName(const std::wstring& windowsPath) {
    static const auto fn = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!fn) return {};
    char* name = fn(windowsPath.c_str());
    if (!name) return {};
    std::string out = name;
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

bool LooksLikeWindowsPath(const std::wstring& a) {
    return a.size() >= 3 && a[1] == L':' && (a[2] == L'\\' || a[2] == L'/') && iswalpha(a[0]);
}

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The script with CRs removed and the put line's local picture named by its Unix path.
std::string MapScript(const std::string& script) {
    std::string out;
    for (char c : script)
        if (c != '\r') out += c;
    const std::string local = PutLocalPath(out);
    if (local.empty()) return out;
    const size_t at = out.find("put \"") + 5;
    return out.substr(0, at) + UnixName(Wide(local)) + out.substr(at + local.size());
}

std::wstring ClientName() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring name = self;
    name = name.substr(name.find_last_of(L'\\') + 1);
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(towlower(c));
    if (name == L"psftp.exe") return L"psftp";
    if (name == L"scp.exe") return L"scp";
    return L"sftp";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

struct Run {
    std::wstring config;
    std::wstring work; // a Unix folder, named the Windows way
    std::string unixWork;
    std::string log;
};

void CopyHanded(const Run& run, const std::wstring& picture) {
    std::string bytes;
    if (ReadFileBytes(picture, &bytes)) WriteFileBytes(run.config + L"\\handed", bytes);
}

// The client's words for sh, each argument single-quoted, the Windows paths mapped.
std::string ClientCommand(Run* run, const std::wstring& client, const std::vector<std::wstring>& args) {
    std::string cmd = "/usr/bin/" + Utf8(client);
    std::string extra;
    ReadFileBytes(run->config + L"\\extra_" + client, &extra);
    for (const std::string& option : Lines(extra)) {
        run->log += "extra: " + option + "\n";
        cmd += " " + ShellQuote(option);
    }
    bool afterDashes = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        run->log += "arg: " + Utf8(a) + "\n";
        std::string mapped = Utf8(a);
        if (i > 0 && args[i - 1] == L"-b") {
            std::string script;
            ReadFileBytes(a, &script);
            run->log += "script: " + script + "\n";
            WriteFileBytes(run->work + L"\\batch", MapScript(script));
            CopyHanded(*run, Wide(PutLocalPath(script)));
            mapped = run->unixWork + "/batch";
        } else if (LooksLikeWindowsPath(a)) {
            if (i > 0 && args[i - 1] == L"-pwfile") {
                std::string pw;
                ReadFileBytes(a, &pw);
                run->log += "pwfile: " + pw + "\n";
            }
            if (afterDashes) CopyHanded(*run, a);
            mapped = UnixName(a);
        }
        afterDashes = afterDashes || a == L"--";
        cmd += " " + ShellQuote(mapped);
    }
    return cmd;
}

int WaitForClient(const Run& run, std::string* out) {
    const std::wstring rc = run.work + L"\\rc";
    for (int i = 0; i < 600; ++i) { // 30 s
        std::string code;
        if (ReadFileBytes(rc, &code) && !code.empty()) {
            ReadFileBytes(run.work + L"\\out", out);
            return atoi(code.c_str());
        }
        Sleep(50);
    }
    ReadFileBytes(run.work + L"\\out", out);
    return 92;
}

} // namespace

int wmain() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    LocalFree(argv);
    Run run;
    run.config = Env(L"KOLVEX_BRIDGE_CONFIG");
    run.unixWork = "/tmp/kolvex_bridge_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
    run.work = L"Z:" + Wide(run.unixWork);
    for (wchar_t& c : run.work)
        if (c == L'/') c = L'\\';
    CreateDirectoryW(run.work.c_str(), nullptr);
    const std::wstring client = ClientName();
    run.log = "--- " + Utf8(client) + "\n";
    const std::string command = ClientCommand(&run, client, args);
    std::string puttyDir;
    ReadFileBytes(run.config + L"\\puttydir", &puttyDir);
    const std::string script =
        "export PATH=/usr/bin:/bin; unset SSH_AUTH_SOCK SSH_AGENT_PID DISPLAY; export PUTTYDIR=" +
        ShellQuote(Lines(puttyDir).empty() ? std::string("/nonexistent") : Lines(puttyDir)[0]) + "; exec </dev/null >" +
        run.unixWork + "/out 2>&1; " + command + "; echo $? >" + run.unixWork + "/rc.tmp; mv " + run.unixWork +
        "/rc.tmp " + run.unixWork + "/rc\n";
    WriteFileBytes(run.work + L"\\run.sh", script);
    WriteFileBytes(run.config + L"\\log", run.log, true);
    std::wstring line = L"Z:\\bin\\sh " + Wide(run.unixWork) + L"/run.sh";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 91;
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    std::string out;
    const int code = WaitForClient(run, &out);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    for (const wchar_t* name : {L"\\batch", L"\\run.sh", L"\\out", L"\\rc"})
        DeleteFileW((run.work + name).c_str());
    RemoveDirectoryW(run.work.c_str());
    return code;
}
