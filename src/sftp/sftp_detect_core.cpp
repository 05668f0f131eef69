#include "sftp/sftp_detect_core.h"

#include <cwctype>

namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "C:\..." or "\\server\share\...": the only forms that do not depend on the current folder or drive.
bool IsAbsolute(std::wstring_view p) {
    if (p.size() >= 3 && IsDriveLetter(p[0]) && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/')) return true;
    return p.size() >= 3 && (p[0] == L'\\' || p[0] == L'/') && (p[1] == L'\\' || p[1] == L'/');
}

std::wstring WithoutTrailingSlash(std::wstring p) {
    while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/'))
        p.pop_back();
    if (p.size() == 3) p.resize(2); // "C:\" joins as "C:" + "\name"
    return p;
}

bool StartsWithFolder(std::wstring_view path, std::wstring_view folder) {
    if (folder.empty() || path.size() < folder.size()) return false;
    for (size_t i = 0; i < folder.size(); ++i)
        if (std::towlower(path[i]) != std::towlower(folder[i])) return false;
    return path.size() == folder.size() || path[folder.size()] == L'\\';
}

// Under WOW64 a 32-bit program that names system32 gets SysWOW64, where the OpenSSH feature does not exist.
std::wstring Native(const SftpSearchPlaces& places, std::wstring dir) {
    if (!places.wow64 || !StartsWithFolder(dir, places.systemDir)) return dir;
    return places.windowsDir + L"\\Sysnative" + dir.substr(places.systemDir.size());
}

std::wstring OpenSshFolder(const SftpSearchPlaces& places) {
    if (places.wow64) return places.windowsDir.empty() ? std::wstring() : places.windowsDir + L"\\Sysnative\\OpenSSH";
    return places.systemDir.empty() ? std::wstring() : places.systemDir + L"\\OpenSSH";
}

} // namespace

std::vector<std::wstring> AbsolutePathEntries(std::wstring_view value) {
    std::vector<std::wstring> out;
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(L';', start);
        if (end == std::wstring_view::npos) end = value.size();
        std::wstring entry;
        for (wchar_t c : value.substr(start, end - start))
            if (c != L'"') entry += c;
        if (IsAbsolute(entry)) out.push_back(WithoutTrailingSlash(std::move(entry)));
        start = end + 1;
    }
    return out;
}

std::vector<SftpCandidate> SftpToolCandidates(const SftpSearchPlaces& places) {
    using K = SftpToolKind;
    std::vector<SftpCandidate> rows;
    if (!places.programDir.empty()) {
        rows.push_back({K::Psftp, places.programDir + L"\\psftp.exe", L"PuTTY psftp.exe (Local Folder)"});
        rows.push_back({K::OpenSshSftp, places.programDir + L"\\sftp.exe", L"OpenSSH sftp.exe (Local Folder)"});
    }
    if (const std::wstring openSsh = OpenSshFolder(places); !openSsh.empty()) {
        rows.push_back({K::OpenSshSftp, openSsh + L"\\sftp.exe", L"Windows OpenSSH (sftp.exe)"});
        rows.push_back({K::OpenSshScp, openSsh + L"\\scp.exe", L"Windows OpenSSH (scp.exe)"});
    }
    rows.push_back({K::Psftp, L"C:\\Program Files\\PuTTY\\psftp.exe", L"PuTTY psftp.exe (Installed)"});
    rows.push_back({K::Psftp, L"C:\\Program Files (x86)\\PuTTY\\psftp.exe", L"PuTTY psftp.exe (Installed)"});
    const std::vector<std::wstring> path = AbsolutePathEntries(places.pathVariable);
    const SftpCandidate onPath[] = {{K::Psftp, L"\\psftp.exe", L"PuTTY psftp.exe (PATH)"},
                                    {K::OpenSshSftp, L"\\sftp.exe", L"OpenSSH sftp.exe (PATH)"},
                                    {K::OpenSshScp, L"\\scp.exe", L"OpenSSH scp.exe (PATH)"}};
    for (const SftpCandidate& tool : onPath)
        for (const std::wstring& dir : path)
            rows.push_back({tool.kind, Native(places, dir) + tool.path, tool.label});
    return rows;
}
