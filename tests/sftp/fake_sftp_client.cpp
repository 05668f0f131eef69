// A stand-in for psftp.exe, sftp.exe and scp.exe in the window tests. It logs what it was given to
// %KOLVEX_FAKE_LOG%\fake_<pid>.log, then does what %KOLVEX_FAKE_MODE% says: comma-separated steps
// "write:<bytes>" (to standard output, the k-th write in the letter 'a' + k), "sleep:<ms>", "exit:<code>".
// The mode "name" takes the steps from the remote file name instead ("sleep-30000.png" is "sleep:30000").
// "-V" answers "psftp: Release %KOLVEX_FAKE_VERSION%"; "none" says nothing, "hang" never answers.
//
// Log records, each "<key> <length>\n<bytes>\n": cmdline, arg (one per argv element after argv[0], from
// CommandLineToArgvW), stdin, stdout, stderr (the handle's file type, or "none"), script (the -b file), pwfile
// (the -pwfile file), local (the put line's local file or scp's source: "missing" or its size), pid. For stdin it
// records what reading it gives instead of its type.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "sftp/client_stand_in.h"

namespace {

std::string HandleType(DWORD which) {
    HANDLE h = GetStdHandle(which);
    if (!h || h == INVALID_HANDLE_VALUE) return "none";
    switch (GetFileType(h)) {
    case FILE_TYPE_PIPE: return "pipe";
    case FILE_TYPE_DISK: return "disk";
    case FILE_TYPE_CHAR: return "char";
    default: return "unknown";
    }
}

DWORD WINAPI ReadOneByte(void* result) {
    char c = 0;
    DWORD got = 0;
    const BOOL ok = ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &got, nullptr);
    *static_cast<const char**>(result) = !ok ? "error" : got == 0 ? "eof" : "data";
    return 0;
}

// What reading standard input gives: "none" (no handle), "eof", "error", "data", or "blocks" when a read does not
// return within 300 ms, as on a console that waits for someone to type.
std::string StdinRead() {
    HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    if (!h || h == INVALID_HANDLE_VALUE) return "none";
    const char* result = "blocks";
    HANDLE reader = CreateThread(nullptr, 0, ReadOneByte, &result, 0, nullptr);
    if (!reader) return "error";
    const bool done = WaitForSingleObject(reader, 300) == WAIT_OBJECT_0;
    if (done) CloseHandle(reader);
    return done ? result : "blocks";
}

void Record(std::string* log, const char* key, const std::string& value) {
    *log += std::string(key) + " " + std::to_string(value.size()) + "\n" + value + "\n";
}

std::string LocalState(const std::wstring& path) {
    std::string bytes;
    return ReadFileBytes(path, &bytes) ? std::to_string(bytes.size()) : "missing";
}

std::wstring RemoteName(const std::string& script, const std::vector<std::wstring>& args) {
    if (const size_t put = script.find("put \""); put != std::string::npos) {
        const size_t second = script.find("\" \"", put + 5);
        const size_t end = second == std::string::npos ? second : script.find('"', second + 3);
        if (end != std::string::npos) return Wide(script.substr(second + 3, end - second - 3));
    }
    const std::wstring& last = args.empty() ? std::wstring() : args.back();
    const size_t slash = last.find_last_of(L":/");
    return slash == std::wstring::npos ? last : last.substr(slash + 1);
}

void WriteOut(const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Act(std::wstring mode) {
    int code = 0;
    char letter = 'a';
    while (!mode.empty()) {
        const size_t comma = mode.find(L',');
        const std::wstring step = mode.substr(0, comma);
        mode = comma == std::wstring::npos ? std::wstring() : mode.substr(comma + 1);
        const size_t colon = step.find(L':');
        const std::wstring verb = step.substr(0, colon);
        const long value = colon == std::wstring::npos ? 0 : std::wcstol(step.c_str() + colon + 1, nullptr, 10);
        if (verb == L"write") WriteOut(std::string(static_cast<size_t>(value), letter++));
        if (verb == L"sleep") Sleep(static_cast<DWORD>(value));
        if (verb == L"exit") code = static_cast<int>(value);
    }
    return code;
}

int Version() {
    const std::wstring v = Env(L"KOLVEX_FAKE_VERSION");
    if (v == L"hang") Sleep(600000);
    if (!v.empty() && v != L"none") WriteOut("psftp: Release " + Utf8(v) + "\nBuild platform: 32-bit Windows\n");
    return 0;
}

} // namespace

int wmain() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    std::string log;
    Record(&log, "pid", std::to_string(GetCurrentProcessId()));
    Record(&log, "cmdline", Utf8(GetCommandLineW()));
    for (const std::wstring& a : args)
        Record(&log, "arg", Utf8(a));
    Record(&log, "stdin", StdinRead());
    Record(&log, "stdout", HandleType(STD_OUTPUT_HANDLE));
    Record(&log, "stderr", HandleType(STD_ERROR_HANDLE));
    std::string script;
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        std::string bytes;
        if (args[i] == L"-b" && ReadFileBytes(args[i + 1], &script)) Record(&log, "script", script);
        if (args[i] == L"-pwfile" && ReadFileBytes(args[i + 1], &bytes)) Record(&log, "pwfile", bytes);
        if (args[i] == L"--" && i + 2 < args.size()) Record(&log, "local", LocalState(args[i + 1]));
    }
    if (!script.empty()) Record(&log, "local", LocalState(Wide(PutLocalPath(script))));
    const std::wstring folder = Env(L"KOLVEX_FAKE_LOG");
    if (!folder.empty()) {
        const std::wstring path = folder + L"\\fake_" + std::to_wstring(GetCurrentProcessId()) + L".log";
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (h != INVALID_HANDLE_VALUE) WriteFile(h, log.data(), static_cast<DWORD>(log.size()), &written, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    if (args.size() == 1 && args[0] == L"-V") return Version();
    std::wstring mode = Env(L"KOLVEX_FAKE_MODE");
    if (mode == L"name") {
        mode = RemoteName(script, args);
        mode = mode.substr(0, mode.find(L'.'));
        for (wchar_t& c : mode)
            if (c == L'-')
                c = L':';
            else if (c == L'+')
                c = L',';
    }
    LocalFree(argv);
    return Act(mode);
}
