#include "sftp/sftp_detect_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::vector<std::wstring> Paths(const std::vector<SftpCandidate>& rows) {
    std::vector<std::wstring> out;
    for (const SftpCandidate& r : rows)
        out.push_back(r.path);
    return out;
}

TEST(SftpDetect, NineRowsInOrderWithTheirLabels) {
    SftpSearchPlaces places;
    places.programDir = L"C:\\Kolvex";
    places.systemDir = L"C:\\Windows\\system32";
    places.windowsDir = L"C:\\Windows";
    places.pathVariable = L"C:\\bin";
    const std::vector<SftpCandidate> rows = SftpToolCandidates(places);
    struct Row {
        SftpToolKind kind;
        const wchar_t* path;
        const wchar_t* label;
    } expected[] = {
        {SftpToolKind::Psftp, L"C:\\Kolvex\\psftp.exe", L"PuTTY psftp.exe (Local Folder)"},
        {SftpToolKind::OpenSshSftp, L"C:\\Kolvex\\sftp.exe", L"OpenSSH sftp.exe (Local Folder)"},
        {SftpToolKind::OpenSshSftp, L"C:\\Windows\\system32\\OpenSSH\\sftp.exe", L"Windows OpenSSH (sftp.exe)"},
        {SftpToolKind::OpenSshScp, L"C:\\Windows\\system32\\OpenSSH\\scp.exe", L"Windows OpenSSH (scp.exe)"},
        {SftpToolKind::Psftp, L"C:\\Program Files\\PuTTY\\psftp.exe", L"PuTTY psftp.exe (Installed)"},
        {SftpToolKind::Psftp, L"C:\\Program Files (x86)\\PuTTY\\psftp.exe", L"PuTTY psftp.exe (Installed)"},
        {SftpToolKind::Psftp, L"C:\\bin\\psftp.exe", L"PuTTY psftp.exe (PATH)"},
        {SftpToolKind::OpenSshSftp, L"C:\\bin\\sftp.exe", L"OpenSSH sftp.exe (PATH)"},
        {SftpToolKind::OpenSshScp, L"C:\\bin\\scp.exe", L"OpenSSH scp.exe (PATH)"},
    };
    ASSERT_EQ(rows.size(), std::size(expected));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].kind, expected[i].kind) << i;
        EXPECT_EQ(rows[i].path, expected[i].path) << i;
        EXPECT_STREQ(rows[i].label, expected[i].label) << i;
    }
}

TEST(SftpDetect, Wow64LooksThroughSysnativeAlsoOnThePath) {
    SftpSearchPlaces places;
    places.programDir = L"C:\\Kolvex";
    places.systemDir = L"C:\\Windows\\system32";
    places.windowsDir = L"C:\\Windows";
    places.wow64 = true;
    places.pathVariable = L"C:\\WINDOWS\\System32\\OpenSSH\\;C:\\Windows\\System32Extra";
    const std::vector<std::wstring> paths = Paths(SftpToolCandidates(places));
    const std::vector<std::wstring> expected = {
        L"C:\\Kolvex\\psftp.exe",
        L"C:\\Kolvex\\sftp.exe",
        L"C:\\Windows\\Sysnative\\OpenSSH\\sftp.exe",
        L"C:\\Windows\\Sysnative\\OpenSSH\\scp.exe",
        L"C:\\Program Files\\PuTTY\\psftp.exe",
        L"C:\\Program Files (x86)\\PuTTY\\psftp.exe",
        L"C:\\Windows\\Sysnative\\OpenSSH\\psftp.exe",
        L"C:\\Windows\\System32Extra\\psftp.exe",
        L"C:\\Windows\\Sysnative\\OpenSSH\\sftp.exe",
        L"C:\\Windows\\System32Extra\\sftp.exe",
        L"C:\\Windows\\Sysnative\\OpenSSH\\scp.exe",
        L"C:\\Windows\\System32Extra\\scp.exe",
    };
    EXPECT_EQ(paths, expected);
}

TEST(SftpDetect, WithoutASystemFolderRowsThreeAndFourAreSkipped) {
    SftpSearchPlaces places;
    places.programDir = L"C:\\Kolvex";
    const std::vector<std::wstring> paths = Paths(SftpToolCandidates(places));
    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(paths[2], L"C:\\Program Files\\PuTTY\\psftp.exe");
}

TEST(SftpDetect, OnlyAbsolutePathEntriesCount) {
    struct Case {
        const wchar_t* value;
        std::vector<std::wstring> entries;
    } cases[] = {
        {L"", {}},
        {L".;..\\bin;bin;C:tools;\\rooted;;", {}},
        {L"C:\\a;\"C:\\Program Files\\b\";D:\\c\\\\", {L"C:\\a", L"C:\\Program Files\\b", L"D:\\c"}},
        {L"\\\\server\\share\\bin;C:\\", {L"\\\\server\\share\\bin", L"C:"}},
        {L"Z:/usr/bin", {L"Z:/usr/bin"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AbsolutePathEntries(c.value), c.entries) << Narrow(c.value);
    SftpSearchPlaces places;
    places.pathVariable = L".;C:\\";
    const std::vector<std::wstring> paths = Paths(SftpToolCandidates(places));
    EXPECT_EQ(paths.back(), L"C:\\scp.exe");
    for (const std::wstring& p : paths)
        EXPECT_NE(p.substr(0, 2), L".\\") << Narrow(p);
}

} // namespace
