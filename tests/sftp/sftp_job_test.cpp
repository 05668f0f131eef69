// The upload job against a fake client that logs what it was given: argv and script tokens, the temporary
// files, the deadline, the output, psftp's password, two uploads at once, detection and a Cyrillic TEMP.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "sftp/sftp_fixture.h"
#include "sftp/sftp_text_core.h"
#include "base/status_text.h"

namespace {

using namespace sftp_test;
using K = SftpToolKind;

class SftpJob : public SftpFixture {
protected:
    void SetUp() override {
        SftpFixture::SetUp();
        clients_ = MakeTestFolder(L"kolvex_fake_clients_");
        for (const wchar_t* name : {L"psftp.exe", L"sftp.exe", L"scp.exe"})
            Install(clients_ + L"\\" + name);
    }
    void TearDown() override {
        SftpFixture::TearDown();
        RemoveTestFolder(clients_);
    }
    std::wstring Client(K kind) const {
        return clients_ + (kind == K::Psftp ? L"\\psftp.exe" : kind == K::OpenSshSftp ? L"\\sftp.exe" : L"\\scp.exe");
    }
    std::wstring clients_;
};

// As on a system where the program already runs in a job that allows no nested one.
BOOL WINAPI RefuseJob(HANDLE, HANDLE) { return FALSE; }

std::wstring* FieldOf(SftpUploadJob* job, SftpField field) {
    switch (field) {
    case SftpField::User: return &job->username;
    case SftpField::Password: return &job->password;
    case SftpField::KeyFile: return &job->keyPath;
    case SftpField::RemoteDir: return &job->remoteDir;
    default: return &job->remoteFileName;
    }
}

// The quoted word of the script line that starts with start; "<none>" when there is no such line.
std::wstring ScriptWord(const std::string& script, const std::string& start, bool last) {
    const size_t at = script.find(start);
    if (at == std::string::npos) return L"<none>";
    const std::string line = script.substr(at, script.find("\r\n", at) - at);
    const size_t close = last ? line.rfind('"') : line.find('"', start.size());
    const size_t open = last ? line.rfind('"', close - 1) : start.size() - 1;
    return Utf8ToWide(line.substr(open + 1, close - open - 1));
}

// What the fake received where the field goes: an option's argument, the destination, or a script token.
std::wstring Received(K kind, SftpField field, const FakeRun& run) {
    const std::vector<std::wstring> args = run.Args();
    auto after = [&](const wchar_t* option) {
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == option) return args[i + 1];
        return std::wstring(L"<none>");
    };
    const std::wstring last = args.back();
    if (field == SftpField::User) return kind == K::Psftp ? after(L"-l") : last.substr(0, last.rfind(L'@'));
    if (field == SftpField::Password) return after(L"-pw");
    if (field == SftpField::KeyFile) return after(L"-i");
    if (kind == K::OpenSshScp) { // "ann@example.org:<dir>/<name>"
        const std::wstring target = last.substr(last.find(L':') + 1);
        const size_t slash = target.rfind(L'/');
        return field == SftpField::RemoteDir ? target.substr(0, slash) : target.substr(slash + 1);
    }
    return field == SftpField::RemoteDir ? ScriptWord(run.One("script"), "cd \"", false)
                                         : ScriptWord(run.One("script"), "put \"", true);
}

TEST_F(SftpJob, AllowedHostileValuesReachTheClientAsOneArgumentOrScriptToken) {
    struct Case {
        K kind;
        SftpField field;
        std::wstring value;
    } cases[] = {
        {K::Psftp, SftpField::User, L"\u0430\u043d\u043d\u0430"},
        {K::OpenSshSftp, SftpField::User, L"\u0430\u043d\u043d\u0430"},
        {K::Psftp, SftpField::Password, L"-x a\"b 'c' !d $(touch m) `e` %PATH% \\\" \u00e9"},
        {K::Psftp, SftpField::KeyFile, L"C:\\keys\\a b 'c' !d `e` \u0436\\"},
        {K::OpenSshScp, SftpField::KeyFile, L"C:\\keys\\a b 'c' !d `e` \u0436"},
        {K::Psftp, SftpField::RemoteDir, L"/srv/up loads/\u0424\u043e\u0442\u043e"},
        {K::OpenSshSftp, SftpField::RemoteDir, L"/srv/up loads/\u0424\u043e\u0442\u043e"},
        {K::OpenSshScp, SftpField::RemoteDir, L"/srv/uploads/\u0424\u043e\u0442\u043e"},
        {K::OpenSshSftp, SftpField::Filename, L"my shot \u00e9.png"},
        {K::OpenSshScp, SftpField::Filename, L"\u0444\u043e\u0442\u043e.png"},
    };
    SetEnvironmentVariableW(L"KOLVEX_FAKE_VERSION", L"none"); // so that psftp gets the password as an argument
    for (const Case& c : cases) {
        ForgetFakeRuns();
        auto job = MakeJob(c.kind, Client(c.kind));
        *FieldOf(job.get(), c.field) = c.value;
        const std::string what = Narrow(c.value) + " for client " + std::to_string(static_cast<int>(c.kind));
        BoxSeen box;
        ASSERT_TRUE(UploadAndWait(std::move(job), &box)) << what;
        const std::vector<FakeRun> runs = Uploads();
        ASSERT_EQ(runs.size(), 1u) << what;
        EXPECT_EQ(Received(c.kind, c.field, runs[0]), c.value) << what << " in " << runs[0].One("cmdline");
        EXPECT_EQ(box.caption, L"SFTP Upload Success") << what << " " << Narrow(box.text);
    }
}

TEST_F(SftpJob, TheClientGetsNoStandardInputAndOnePipeForItsOutput) {
    for (K kind : {K::Psftp, K::OpenSshSftp, K::OpenSshScp}) {
        ForgetFakeRuns();
        auto job = MakeJob(kind, Client(kind), std::string(1000, 'p'));
        const std::wstring stem = job->tempStem;
        BoxSeen box;
        ASSERT_TRUE(UploadAndWait(std::move(job), &box));
        ASSERT_EQ(Uploads().size(), 1u);
        const FakeRun run = Uploads()[0];
        EXPECT_EQ(run.One("stdin"), "eof") << "reading standard input must end at once";
        EXPECT_EQ(run.One("stdout"), "pipe");
        EXPECT_EQ(run.One("stderr"), "pipe");
        EXPECT_EQ(run.One("local"), "1000") << "the picture the client was pointed at";
        if (kind != K::OpenSshScp) {
            EXPECT_NE(run.One("script").find("put \""), std::string::npos);
        }
        EXPECT_EQ(GetStatusText(kStatusMessage), L"SFTP: Upload complete: shot.png");
        EXPECT_EQ(SftpTempFiles().size(), 0u);
        EXPECT_FALSE(FileExists(stem + L"batch.txt"));
    }
}

TEST_F(SftpJob, AClientStillRunningAtTheDeadlineIsStoppedAndItsFilesGo) {
    SetEnvironmentVariableW(L"KOLVEX_FAKE_MODE", L"write:10,sleep:60000");
    for (bool jobAssignmentFails : {false, true}) {
        ForgetFakeRuns();
        if (jobAssignmentFails) g_assignProcessToJobObject = RefuseJob;
        auto job = MakeJob(K::OpenSshSftp, Client(K::OpenSshSftp));
        job->deadlineMs = 1500;
        const auto start = std::chrono::steady_clock::now();
        BoxSeen box;
        ASSERT_TRUE(UploadAndWait(std::move(job), &box));
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, std::chrono::milliseconds(1400));
        EXPECT_EQ(box.caption, L"SFTP Upload Error");
        EXPECT_EQ(box.text, L"SFTP upload failed (Exit code: 259).\r\n\r\nThe SFTP client did not finish within 2 "
                            L"seconds and was stopped.\r\n\r\nTool Output:\r\naaaaaaaaaa\r\n\r\nHint: Windows OpenSSH "
                            L"sftp requires an SSH Private Key (-i) for automated non-interactive uploads.\r\nTo use "
                            L"password authentication, place 'psftp.exe' (PuTTY SFTP) into the Kolvex folder.");
        EXPECT_EQ(GetStatusText(kStatusMessage), L"SFTP: Upload failed.");
        ASSERT_EQ(Uploads().size(), 1u);
        EXPECT_FALSE(ProcessRunning(Uploads()[0].Pid())) << "job object failing: " << jobAssignmentFails;
        EXPECT_TRUE(SftpTempFiles().empty());
    }
}

TEST_F(SftpJob, OutputIsDrainedToItsEndAndKeptUpTo4607Bytes) {
    struct Case {
        const wchar_t* mode;
        const wchar_t* caption;
        std::wstring output; // empty: not shown
    } cases[] = {
        {L"write:1048576,exit:0", L"SFTP Upload Success", L""},
        {L"write:4095,write:511,exit:1", L"SFTP Upload Error", std::wstring(4095, L'a') + std::wstring(511, L'b')},
        {L"write:4000,write:1000,exit:1", L"SFTP Upload Error", std::wstring(4000, L'a') + std::wstring(607, L'b')},
    };
    for (const Case& c : cases) {
        SetEnvironmentVariableW(L"KOLVEX_FAKE_MODE", c.mode);
        auto job = MakeJob(K::Psftp, Client(K::Psftp));
        job->deadlineMs = 8000;
        const auto start = std::chrono::steady_clock::now();
        BoxSeen box;
        ASSERT_TRUE(UploadAndWait(std::move(job), &box)) << Narrow(c.mode);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4)) << Narrow(c.mode);
        EXPECT_EQ(box.caption, c.caption) << Narrow(c.mode);
        if (!c.output.empty()) {
            EXPECT_EQ(box.text, L"SFTP upload failed (Exit code: 1).\r\n\r\nTool Output:\r\n" + c.output + L"\r\n\r\n")
                << Narrow(c.mode);
        }
    }
}

TEST_F(SftpJob, PsftpGetsThePasswordInAFileFromRelease077OnAndOtherwiseSaysSo) {
    const std::wstring note =
        L"\r\n\r\nThis psftp takes the password on its command line; PuTTY 0.77 or later keeps it hidden.";
    for (const wchar_t* version : {L"0.78", L"0.76", L"none", L"hang"}) {
        SetEnvironmentVariableW(L"KOLVEX_FAKE_VERSION", version);
        ForgetFakeRuns();
        auto job = MakeJob(K::Psftp, Client(K::Psftp));
        job->password = L"pw s3cret";
        job->versionDeadlineMs = 800;
        const std::wstring pwFile = job->tempStem + L"pw.txt";
        BoxSeen box;
        ASSERT_TRUE(UploadAndWait(std::move(job), &box)) << Narrow(version);
        ASSERT_EQ(Uploads().size(), 1u) << Narrow(version);
        const FakeRun run = Uploads()[0];
        const std::vector<std::wstring> args = run.Args();
        const bool hidden = std::wstring(version) == L"0.78";
        EXPECT_EQ(run.One("cmdline").find("s3cret") == std::string::npos, hidden) << Narrow(version);
        if (hidden) {
            EXPECT_EQ(run.One("pwfile"), "pw s3cret\n");
            EXPECT_EQ(std::count(args.begin(), args.end(), pwFile), 1);
            EXPECT_EQ(box.text.find(note), std::wstring::npos);
        } else {
            EXPECT_EQ(std::count(args.begin(), args.end(), L"pw s3cret"), 1) << Narrow(version);
            EXPECT_EQ(box.text.substr(box.text.size() - note.size()), note) << Narrow(version);
        }
        EXPECT_FALSE(FileExists(pwFile)) << Narrow(version);
        EXPECT_EQ(box.caption, L"SFTP Upload Success");
    }
}

TEST_F(SftpJob, AFastUploadIsReportedWhileASlowOneStillRuns) {
    SetEnvironmentVariableW(L"KOLVEX_FAKE_MODE", L"name");
    auto slow = MakeJob(K::OpenSshSftp, Client(K::OpenSshSftp));
    slow->remoteFileName = L"sleep-20000.png";
    slow->deadlineMs = 2500;
    ASSERT_TRUE(StartSftpUpload(std::move(slow)));
    ASSERT_TRUE(PumpUntil([&] { return Uploads().size() == 1; }));
    const DWORD slowPid = Uploads()[0].Pid();

    auto fast = MakeJob(K::OpenSshSftp, Client(K::OpenSshSftp));
    fast->remoteFileName = L"exit-0.png";
    const auto start = std::chrono::steady_clock::now();
    BoxSeen box;
    ASSERT_TRUE(UploadAndWait(std::move(fast), &box, 3000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(box.caption, L"SFTP Upload Success");
    EXPECT_NE(box.text.find(L"exit-0.png"), std::wstring::npos);
    EXPECT_TRUE(ProcessRunning(slowPid)) << "the slow client must still run";

    BoxSeen slowBox;
    ASSERT_TRUE(WaitForBox(&slowBox, 6000));
    EXPECT_EQ(slowBox.caption, L"SFTP Upload Error");
    EXPECT_NE(slowBox.text.find(L"(Exit code: 259)"), std::wstring::npos);
    EXPECT_TRUE(SftpTempFiles().empty());
}

TEST_F(SftpJob, ACyrillicTemporaryFolderReachesEveryClient) {
    const std::wstring temp = MakeTestFolder(L"\u0424\u043e\u0442\u043e \u0442\u0435\u043c\u043f_");
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    ASSERT_EQ(SftpTempFolder(), temp + L"\\");
    for (K kind : {K::Psftp, K::OpenSshSftp, K::OpenSshScp}) {
        ForgetFakeRuns();
        auto job = MakeJob(kind, Client(kind), std::string(321, 'c'));
        job->tool.label = L"OpenSSH sftp.exe (PATH)";
        const std::wstring script = job->tempStem + L"batch.txt";
        BoxSeen box;
        ASSERT_TRUE(UploadAndWait(std::move(job), &box));
        ASSERT_EQ(Uploads().size(), 1u);
        const FakeRun run = Uploads()[0];
        if (kind != K::OpenSshScp) {
            EXPECT_FALSE(run.One("script").empty()) << "the script named in argv could not be opened";
            const std::vector<std::wstring> args = run.Args();
            EXPECT_EQ(std::count(args.begin(), args.end(), script), 1);
        }
        EXPECT_EQ(run.One("local"), "321")
            << "the picture the client was pointed at; client " << static_cast<int>(kind);
        EXPECT_EQ(box.caption, L"SFTP Upload Success");
        EXPECT_EQ(box.text, L"Image uploaded successfully via SFTP!\r\n\r\nRemote: "
                            L"sftp://ann@example.org:2222/var/www/uploads/shot.png\r\nEngine: OpenSSH sftp.exe (PATH)");
        EXPECT_TRUE(SftpTempFiles(temp).empty());
    }
    RemoveTestFolder(temp);
}

TEST_F(SftpJob, AClientThatCannotStartIsReportedAndThePictureGoes) {
    auto job = MakeJob(K::OpenSshSftp, clients_ + L"\\missing.exe");
    const std::wstring picture = job->tempImagePath;
    BoxSeen box;
    ASSERT_TRUE(UploadAndWait(std::move(job), &box));
    EXPECT_EQ(box.caption, L"SFTP Error");
    EXPECT_EQ(box.text, L"Failed to launch SFTP executable:\r\n" + clients_ + L"\\missing.exe\r\n\r\nError code: 2");
    EXPECT_EQ(GetStatusText(kStatusMessage), L"SFTP: Failed to launch tool.");
    EXPECT_FALSE(FileExists(picture));
    EXPECT_TRUE(SftpTempFiles().empty());
}

TEST_F(SftpJob, LeftoversOfRunsThatEndedAreRemovedAtStart) {
    // A process that has ended leaves its id free.
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring line = L"\"" + FakeClient() + L"\"";
    ASSERT_TRUE(
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 5000);
    const DWORD deadPid = pi.dwProcessId;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    const std::wstring folder = SftpTempFolder();
    const std::wstring dead = folder + SftpTempStem(deadPid, 1) + L"batch.txt";
    const std::wstring own = folder + SftpTempStem(GetCurrentProcessId(), 999) + L"temp.png";
    const std::wstring other = folder + L"kolvex_sftp_notes.txt";
    for (const std::wstring& f : {dead, own, other})
        ASSERT_TRUE(WriteWholeFile(f, "x"));
    PrepareSftpTempFiles();
    EXPECT_FALSE(FileExists(dead));
    EXPECT_TRUE(FileExists(own)) << "an upload of this run may still need it";
    EXPECT_TRUE(FileExists(other)) << "not a name the program makes";
    DeleteFileW(own.c_str());
    DeleteFileW(other.c_str());
}

TEST_F(SftpJob, DetectionFollowsTheOrderOfPlacesAndNeverTheCurrentFolder) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring onPath = MakeTestFolder(L"kolvex_path_");
    const std::wstring current = MakeTestFolder(L"kolvex_current_");
    Install(current + L"\\psftp.exe");
    Install(current + L"\\sftp.exe");
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    SetCurrentDirectoryW(current.c_str());
    SetEnvironmentVariableW(L"PATH", (L".;relative;" + onPath + L";" + EnvironmentValue(L"PATH")).c_str());
    EXPECT_EQ(DetectSftpTool().kind, K::None) << Narrow(DetectSftpTool().path);
    EXPECT_EQ(DetectSftpTool().label, L"Not Detected");
    struct Step {
        std::wstring place;
        K kind;
        const wchar_t* label;
    } steps[] = {
        {onPath + L"\\scp.exe", K::OpenSshScp, L"OpenSSH scp.exe (PATH)"},
        {onPath + L"\\sftp.exe", K::OpenSshSftp, L"OpenSSH sftp.exe (PATH)"},
        {onPath + L"\\psftp.exe", K::Psftp, L"PuTTY psftp.exe (PATH)"},
        {L"C:\\Program Files (x86)\\PuTTY\\psftp.exe", K::Psftp, L"PuTTY psftp.exe (Installed)"},
        {L"C:\\Program Files\\PuTTY\\psftp.exe", K::Psftp, L"PuTTY psftp.exe (Installed)"},
        {std::wstring(system) + L"\\OpenSSH\\scp.exe", K::OpenSshScp, L"Windows OpenSSH (scp.exe)"},
        {std::wstring(system) + L"\\OpenSSH\\sftp.exe", K::OpenSshSftp, L"Windows OpenSSH (sftp.exe)"},
        {ExeFolder() + L"\\sftp.exe", K::OpenSshSftp, L"OpenSSH sftp.exe (Local Folder)"},
        {ExeFolder() + L"\\psftp.exe", K::Psftp, L"PuTTY psftp.exe (Local Folder)"},
    };
    for (const Step& s : steps) {
        Install(s.place);
        const SftpTool tool = DetectSftpTool();
        EXPECT_EQ(tool.kind, s.kind) << Narrow(s.place);
        EXPECT_EQ(tool.path, s.place);
        EXPECT_EQ(tool.label, s.label);
    }
    SetCurrentDirectoryW(before);
    RemoveTestFolder(onPath);
    RemoveTestFolder(current);
}

} // namespace
