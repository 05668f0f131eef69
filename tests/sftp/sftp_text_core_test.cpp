#include "sftp/sftp_text_core.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Narrow(const std::wstring& s) { return WideToUtf8Bytes(s); }

TEST(SftpText, DefaultRemoteNameComesFromTheDocumentOrTheTime) {
    const LocalTime t = {2024, 3, 7, 9, 5, 2};
    struct Case {
        const wchar_t* path;
        int format;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\pics\\trip.final.bmp", 0, L"trip.final.png"},
        {L"C:\\pics\\trip.final.bmp", 1, L"trip.final.jpg"},
        {L"/home/a/shot", 2, L"shot.bmp"},
        {L"", 0, L"kolvex_20240307_090502.png"},
        {L"C:\\pics\\", 1, L"kolvex_20240307_090502.jpg"},
        {L"C:\\pics\\trip.bmp", 7, L"trip.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeUploadFileNameFrom(c.path, t, c.format), c.expected) << Narrow(c.path);
    const std::wstring longName(119, L'a'), tooLong(120, L'a');
    EXPECT_EQ(MakeUploadFileNameFrom(L"C:\\" + longName, t, 0), longName + L".png");
    EXPECT_EQ(MakeUploadFileNameFrom(L"C:\\" + tooLong, t, 0), L"kolvex_20240307_090502.png");
}

TEST(SftpText, TypedNamesGetTheExtensionOnlyWhenTheyHaveNone) {
    EXPECT_EQ(UploadFileNameFor(L"shot", L"d.png", 0), L"shot.png");
    EXPECT_EQ(UploadFileNameFor(L"shot.x", L"d.png", 0), L"shot.x");
    EXPECT_EQ(UploadFileNameFor(L"", L"d.jpg", 1), L"d.jpg");
    EXPECT_EQ(ReplaceUploadExtension(L"trip.final.png", 2), L"trip.final.bmp");
    EXPECT_EQ(ReplaceUploadExtension(L"noext", 1), L"noext.jpg");
}

TEST(SftpText, PortsOutsideOneTo65535CountAs22) {
    struct Case {
        const wchar_t* text;
        int port;
    } cases[] = {{L"2222", 2222},
                 {L"0", 22},
                 {L"65535", 65535},
                 {L"65536", 22},
                 {L"", 22},
                 {L"-5", 22},
                 {L" 80x", 80},
                 {L"+443", 443},
                 {L"99999999999999999999", 22},
                 {L"000000000000002", 2},
                 {L"0000000000000002", 22}};
    for (const Case& c : cases)
        EXPECT_EQ(ParsePort(c.text), c.port) << Narrow(c.text);
}

TEST(SftpText, PreviousWordStartSkipsSeparatorsThenTheWord) {
    struct Case {
        const wchar_t* text;
        size_t caret;
        size_t start;
    } cases[] = {
        {L"/var/www/uploads/", 17, 9},
        {L"/var/www/", 9, 5},
        {L"/var/", 5, 1},
        {L"/", 1, 0},
        {L"", 0, 0},
        {L"host.example.org", 16, 13},
        {L"a b\tc", 5, 4},
        {L"C:\\keys\\id", 7, 3},
        {L"x-y", 2, 0},
        {L"word", 2, 0},
        {L"abc", 99, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreviousWordStart(c.text, c.caret), c.start) << Narrow(c.text) << " at " << c.caret;
}

TEST(SftpText, ProfileNames) {
    EXPECT_EQ(TrimProfileName(L" \t Web \t"), L"Web");
    EXPECT_EQ(TrimProfileName(L" \t "), L"");
    struct Case {
        std::wstring name;
        ProfileNameProblem problem;
    } cases[] = {{L"", ProfileNameProblem::Empty},
                 {L"a\\b", ProfileNameProblem::Backslash},
                 {std::wstring(63, L'n'), ProfileNameProblem::None},
                 {std::wstring(64, L'n'), ProfileNameProblem::TooLong},
                 {L"Server A", ProfileNameProblem::None}};
    for (const Case& c : cases)
        EXPECT_EQ(CheckProfileName(c.name), c.problem) << Narrow(c.name);
    EXPECT_STREQ(ProfileNameMessage(ProfileNameProblem::Backslash), L"Profile names cannot contain \\.");
    EXPECT_STREQ(ProfileNameMessage(ProfileNameProblem::TooLong), L"Profile names can have at most 63 characters.");
}

TEST(SftpText, PsftpReleaseFromItsVersionAnswer) {
    struct Case {
        const char* output;
        bool pwfile;
    } cases[] = {
        {"psftp: Release 0.78\nBuild platform: 64-bit Unix\n", true},
        {"psftp: Release 0.77\r\n", true},
        {"psftp: Release 0.76\r\n", false},
        {"psftp: Release 1.0\r\n", true},
        {"psftp: Release 0.99999999999999999999\r\n", true},
        {"psftp: Development snapshot 2022-01-01.abcdef\r\n", false},
        {"Release .78", false},
        {"", false},
        {"Release 0.", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PsftpTakesPasswordFile(c.output), c.pwfile) << c.output;
}

TEST(SftpText, TemporaryNamesCarryTheProcessId) {
    EXPECT_EQ(SftpTempStem(1234, 5), L"kolvex_sftp_1234_5_");
    uint32_t pid = 0;
    EXPECT_TRUE(ParseSftpTempName(L"kolvex_sftp_1234_5_batch.txt", &pid));
    EXPECT_EQ(pid, 1234u);
    EXPECT_TRUE(ParseSftpTempName(L"KOLVEX_SFTP_7_0_temp.png", &pid));
    EXPECT_EQ(pid, 7u);
    for (const wchar_t* name : {L"kolvex_sftp_batch_123.txt", L"kolvex_sftp_12_", L"kolvex_sftp_12_3_",
                                L"kolvex_sftp_99999999999_1_x", L"kolvex_sftp__1_x", L"kolvex_undo_1"})
        EXPECT_FALSE(ParseSftpTempName(name, &pid)) << Narrow(name);
}

UploadReport Report(SftpToolKind kind, const wchar_t* dir) {
    UploadReport r;
    r.user = L"ann";
    r.host = L"example.org";
    r.port = 2222;
    r.remoteDir = dir;
    r.fileName = L"shot.png";
    r.label = L"PuTTY psftp.exe (Local Folder)";
    r.kind = kind;
    return r;
}

TEST(SftpText, StatusAndSuccessTexts) {
    const UploadReport r = Report(SftpToolKind::Psftp, L"/var/www/uploads");
    EXPECT_EQ(UploadingStatus(r), L"SFTP: Uploading shot.png to ann@example.org:2222...");
    EXPECT_EQ(CompleteStatus(r), L"SFTP: Upload complete: shot.png");
    EXPECT_EQ(SuccessMessage(r), L"Image uploaded successfully via SFTP!\r\n\r\nRemote: "
                                 L"sftp://ann@example.org:2222/var/www/uploads/shot.png\r\nEngine: PuTTY psftp.exe "
                                 L"(Local Folder)");
    struct Case {
        const wchar_t* dir;
        const wchar_t* remote;
    } cases[] = {{L"/", L"sftp://ann@example.org:2222/shot.png"},
                 {L"", L"sftp://ann@example.org:2222/~/shot.png"},
                 {L"images", L"sftp://ann@example.org:2222/~/images/shot.png"},
                 {L"C:/uploads", L"sftp://ann@example.org:2222/C:/uploads/shot.png"}};
    for (const Case& c : cases)
        EXPECT_NE(SuccessMessage(Report(SftpToolKind::Psftp, c.dir)).find(std::wstring(L"Remote: ") + c.remote),
                  std::wstring::npos)
            << Narrow(c.dir);
    UploadReport old = r;
    old.passwordOnCommandLine = true;
    EXPECT_EQ(SuccessMessage(old), SuccessMessage(r) + L"\r\n\r\nThis psftp takes the password on its command line; "
                                                       L"PuTTY 0.77 or later keeps it hidden.");
}

TEST(SftpText, FailureTexts) {
    const std::wstring hint = L"Hint: Windows OpenSSH sftp requires an SSH Private Key (-i) for automated "
                              L"non-interactive uploads.\r\nTo use password authentication, place 'psftp.exe' "
                              L"(PuTTY SFTP) into the Kolvex folder.";
    UploadReport sftp = Report(SftpToolKind::OpenSshSftp, L"/x");
    EXPECT_EQ(FailureMessage(sftp, 255, L"Permission denied", 0),
              L"SFTP upload failed (Exit code: 255).\r\n\r\nTool Output:\r\nPermission denied\r\n\r\n" + hint);
    sftp.keyGiven = true;
    EXPECT_EQ(FailureMessage(sftp, 1, L"", 0), L"SFTP upload failed (Exit code: 1).\r\n\r\n");
    EXPECT_EQ(FailureMessage(sftp, 259, L"partial", 60),
              L"SFTP upload failed (Exit code: 259).\r\n\r\nThe SFTP client did not finish within 60 seconds and was "
              L"stopped.\r\n\r\nTool Output:\r\npartial\r\n\r\n");
    UploadReport old = Report(SftpToolKind::Psftp, L"/x");
    old.passwordOnCommandLine = true;
    EXPECT_EQ(FailureMessage(old, 4294967295u, L"out", 0),
              L"SFTP upload failed (Exit code: 4294967295).\r\n\r\nTool Output:\r\nout\r\n\r\nThis psftp takes the "
              L"password on its command line; PuTTY 0.77 or later keeps it hidden.");
}

} // namespace
