#include "sftp/sftp_temp.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#include "sftp/sftp_text_core.h"

namespace {

volatile LONG g_nextNumber = 0;

std::mutex g_passwordFilesLock;
std::vector<std::wstring> g_passwordFiles; // guarded by g_passwordFilesLock

} // namespace

std::wstring SftpTempFolder() {
    wchar_t buf[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    if (n > 0 && n <= MAX_PATH) return buf;
    if (n == 0) return {};
    std::wstring longer(n, L'\0');
    const DWORD got = GetTempPathW(n, longer.data());
    if (got == 0 || got >= n) return {};
    longer.resize(got);
    return longer;
}

namespace {

bool ProcessIsRunning(DWORD pid) {
    HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!h) return GetLastError() == ERROR_ACCESS_DENIED; // it exists, but is not ours to look at
    const bool running = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return running;
}

void DeletePasswordFilesAtExit() {
    std::lock_guard<std::mutex> lock(g_passwordFilesLock);
    for (const std::wstring& path : g_passwordFiles)
        DeleteTempFile(path);
    g_passwordFiles.clear();
}

void RemoveStaleSftpFiles() {
    const std::wstring folder = SftpTempFolder();
    if (folder.empty()) return;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"kolvex_sftp_*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    const DWORD self = GetCurrentProcessId();
    do {
        uint32_t pid = 0;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || !ParseSftpTempName(fd.cFileName, &pid)) continue;
        // A file another run cannot delete now (a client still reads it) waits for a later start.
        if (pid != self && !ProcessIsRunning(pid)) DeleteFileW((folder + fd.cFileName).c_str());
    } while (FindNextFileW(find, &fd));
    FindClose(find);
}

} // namespace

bool ReserveSftpTempPicture(const wchar_t* extension, std::wstring* stem, std::wstring* picturePath) {
    const std::wstring folder = SftpTempFolder();
    if (folder.empty()) return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const uint32_t n = static_cast<uint32_t>(InterlockedIncrement(&g_nextNumber));
        const std::wstring s = folder + SftpTempStem(GetCurrentProcessId(), n);
        const std::wstring picture = s + L"temp" + extension;
        HANDLE h = CreateFileW(picture.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue; // left by an earlier run with our process id
            return false;
        }
        CloseHandle(h);
        *stem = s;
        *picturePath = picture;
        return true;
    }
    return false;
}

bool WriteNewTempFile(const std::wstring& path, std::string_view bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(h);
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

bool DeleteTempFile(const std::wstring& path) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
        Sleep(25);
    }
    return false;
}

std::wstring ShortPathOf(const std::wstring& path) {
    const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring out(n, L'\0');
    const DWORD got = GetShortPathNameW(path.c_str(), out.data(), n);
    if (got == 0 || got >= n) return {};
    out.resize(got);
    return out;
}

void RememberPasswordFile(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(g_passwordFilesLock);
    g_passwordFiles.push_back(path);
}

void ForgetPasswordFile(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(g_passwordFilesLock);
    for (auto it = g_passwordFiles.begin(); it != g_passwordFiles.end(); ++it)
        if (*it == path) {
            g_passwordFiles.erase(it);
            return;
        }
}

void PrepareSftpTempFiles() {
    RemoveStaleSftpFiles();
    static bool registered = false;
    if (!registered) registered = std::atexit(DeletePasswordFilesAtExit) == 0;
}
