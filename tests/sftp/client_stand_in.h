// What the two stand-ins for the SFTP clients (the logging fake and the bridge to the Linux clients) both need:
// text conversion, the environment, whole files and the put line of a batch script. Plain Win32, so that they
// stay separate programs with nothing of Kolvex in them.
#pragma once
#include <windows.h>

#include <string>

inline std::string Utf8(const std::wstring& s) {
    if (s.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

inline std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

inline std::wstring Env(const wchar_t* name) {
    wchar_t buf[4096] = {};
    const DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    return n > 0 && n < 4096 ? std::wstring(buf, n) : std::wstring();
}

inline bool ReadFileBytes(const std::wstring& path, std::string* out) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buf[65536];
    DWORD got = 0;
    out->clear();
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        out->append(buf, got);
    CloseHandle(h);
    return true;
}

// The first double-quoted word after "put " in the script: the local picture.
inline std::string PutLocalPath(const std::string& script) {
    const size_t put = script.find("put \"");
    const size_t end = put == std::string::npos ? put : script.find('"', put + 5);
    return end == std::string::npos ? std::string() : script.substr(put + 5, end - put - 5);
}
