#include "sftp/sftp_job.h"

#include <vector>

#include "sftp/sftp_detect_core.h"
#include "sftp/sftp_process.h"
#include "sftp/sftp_temp.h"
#include "sftp/sftp_text_core.h"
#include "shell/dialog_frame.h"
#include "base/status_text.h"
#include "base/text_convert.h"

namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
    const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(name, value.data(), n);
    value.resize(got < n ? got : 0);
    return value;
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring FolderFrom(UINT(WINAPI* get)(LPWSTR, UINT)) {
    wchar_t buf[MAX_PATH] = {};
    const UINT n = get(buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

bool IsFile(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Clients write in the console's or the ANSI code page, the OpenSSH port in UTF-8.
std::wstring OutputText(const std::string& bytes) {
    std::string clean;
    for (char c : bytes)
        if (c != '\0') clean += c;
    std::wstring text = Utf8ToWideStrict(clean);
    return text.empty() ? AnsiToWide(clean) : text;
}

UploadReport ReportOf(const SftpUploadJob& job) {
    UploadReport r;
    r.user = job.username;
    r.host = job.host;
    r.port = job.port;
    r.remoteDir = NormalizeRemoteDir(job.remoteDir);
    r.fileName = job.remoteFileName;
    r.label = job.tool.label;
    r.kind = job.tool.kind;
    r.keyGiven = !job.keyPath.empty();
    return r;
}

void Status(const SftpUploadJob& job, const std::wstring& text) {
    (void)PostStatusTextRequest(job.owner, kStatusMessage, text);
}

void Box(const SftpUploadJob& job, const std::wstring& text, const wchar_t* caption, UINT icon) {
    (void)PostMessageBoxRequest(job.owner, text, caption, MB_OK | icon);
}

bool PsftpReadsPasswordFile(const SftpUploadJob& job) {
    ClientRun run;
    return RunHiddenClient(PsftpVersionCommand(job.tool.path), job.versionDeadlineMs, &run) && !run.stopped &&
           PsftpTakesPasswordFile(run.output);
}

SftpCommandInput InputOf(const SftpUploadJob& job, PasswordPass pass) {
    SftpCommandInput in;
    in.kind = job.tool.kind;
    in.toolPath = job.tool.path;
    in.port = job.port;
    in.fields = FieldsOf(job);
    in.scriptPath = job.tempStem + L"batch.txt";
    in.localPicture = job.tempImagePath;
    in.scriptLocalPicture = ScriptLocalPath(job.tempImagePath, ShortPathOf(job.tempImagePath), job.tool.kind);
    in.password = pass;
    in.passwordFile = job.tempStem + L"pw.txt";
    in.lookalike = AnsiTurnsIntoAscii;
    return in;
}

// The reason a command could not be built, as the user reads it.
std::wstring BuildFailureMessage(const SftpBuildResult& r) {
    if (r.error == SftpBuildError::UnusableField) return UnusableFieldMessage(r.field);
    if (r.error == SftpBuildError::TooLong) return L"Upload settings are too long.";
    return L"Failed to create temporary SFTP script file.";
}

void Report(const SftpUploadJob& job, UploadReport report, const ClientRun& run) {
    if (!run.started) {
        Status(job, L"SFTP: Failed to launch tool.");
        Box(job,
            L"Failed to launch SFTP executable:\r\n" + job.tool.path + L"\r\n\r\nError code: " +
                std::to_wstring(run.launchError),
            L"SFTP Error", MB_ICONERROR);
        return;
    }
    if (run.exitCode == 0 && !run.stopped) {
        Status(job, CompleteStatus(report));
        Box(job, SuccessMessage(report), L"SFTP Upload Success", MB_ICONINFORMATION);
        return;
    }
    Status(job, L"SFTP: Upload failed.");
    const unsigned seconds = run.stopped ? (job.deadlineMs + 999) / 1000 : 0;
    Box(job, FailureMessage(report, run.exitCode, OutputText(run.output), seconds), L"SFTP Upload Error", MB_ICONERROR);
}

void Upload(const SftpUploadJob& job) {
    UploadReport report = ReportOf(job);
    Status(job, UploadingStatus(report));
    PasswordPass pass = PasswordPass::None;
    if (job.tool.kind == SftpToolKind::Psftp && !job.password.empty()) {
        pass = PsftpReadsPasswordFile(job) ? PasswordPass::File : PasswordPass::CommandLine;
        report.passwordOnCommandLine = pass == PasswordPass::CommandLine;
    }
    const SftpCommandInput in = InputOf(job, pass);
    SftpCommand command;
    if (const SftpBuildResult built = BuildSftpCommand(in, &command); built.error != SftpBuildError::None) {
        Box(job, BuildFailureMessage(built), L"SFTP Error", MB_ICONERROR);
        return;
    }
    if (!WriteNewTempFile(in.scriptPath, command.script)) {
        Box(job, L"Failed to create temporary SFTP script file.", L"SFTP Error", MB_ICONERROR);
        return;
    }
    if (pass == PasswordPass::File) {
        RememberPasswordFile(in.passwordFile);
        if (!WriteNewTempFile(in.passwordFile, command.passwordFile)) {
            DeleteTempFile(in.scriptPath);
            Box(job, L"Failed to create temporary SFTP script file.", L"SFTP Error", MB_ICONERROR);
            return;
        }
    }
    ClientRun run;
    (void)RunHiddenClient(command.commandLine, job.deadlineMs, &run);
    // Deleted before the report, so that nothing is left once the user reads it.
    DeleteTempFile(in.scriptPath);
    if (pass == PasswordPass::File) DeleteTempFile(in.passwordFile);
    DeleteTempFile(job.tempImagePath);
    Report(job, report, run);
}

} // namespace

SftpTool DetectSftpTool() {
    SftpSearchPlaces places;
    places.programDir = ProgramFolder();
    places.systemDir = FolderFrom(GetSystemDirectoryW);
    places.windowsDir = FolderFrom(GetWindowsDirectoryW);
    BOOL wow64 = FALSE;
    places.wow64 = IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
    places.pathVariable = EnvironmentValue(L"PATH");
    for (const SftpCandidate& c : SftpToolCandidates(places))
        if (IsFile(c.path)) return {c.kind, c.path, c.label};
    return {};
}

DWORD WINAPI RunSftpUpload(void* param) {
    std::unique_ptr<SftpUploadJob> job(static_cast<SftpUploadJob*>(param));
    if (!job) return 0;
    Upload(*job);
    // The picture goes whatever happened above.
    DeleteTempFile(job->tempImagePath);
    if (const std::wstring pw = job->tempStem + L"pw.txt"; !job->tempStem.empty()) {
        DeleteTempFile(pw);
        ForgetPasswordFile(pw);
    }
    return 0;
}

bool StartSftpUpload(std::unique_ptr<SftpUploadJob> job) {
    HANDLE thread = CreateThread(nullptr, 0, RunSftpUpload, job.get(), 0, nullptr);
    if (!thread) {
        DeleteTempFile(job->tempImagePath);
        return false;
    }
    (void)job.release(); // the thread owns it now
    CloseHandle(thread);
    return true;
}

bool AnsiTurnsIntoAscii(char32_t c) {
    if (c < 0x80) return false;
    wchar_t wide[2];
    int units = 1;
    if (c >= 0x10000) {
        wide[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        wide[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        units = 2;
    } else {
        wide[0] = static_cast<wchar_t>(c);
    }
    char out[8] = {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, units, out, sizeof out, nullptr, &usedDefault);
    return n == 1 && static_cast<unsigned char>(out[0]) < 0x80 && !usedDefault;
}

SftpFields FieldsOf(const SftpUploadJob& job) {
    return {job.host, job.username, job.password, job.keyPath, job.remoteDir, job.remoteFileName};
}

std::wstring UnusableFieldMessage(SftpField field) {
    return std::wstring(L"The ") + SftpFieldLabel(field) +
           L" field contains characters that cannot be used for an upload.";
}
