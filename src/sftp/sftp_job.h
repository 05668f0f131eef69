// The upload job: finding the external client and running one upload on a thread of its own. The thread
// touches no window: it reports through status-text and message-box requests to the main window.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "sftp/sftp_command_core.h"

struct SftpTool {
    SftpToolKind kind = SftpToolKind::None;
    std::wstring path;
    std::wstring label = L"Not Detected";
};

// Made by the dialog, then owned by the upload thread, which frees it.
struct SftpUploadJob {
    std::wstring host;
    int port = 22;
    std::wstring username, password, keyPath, remoteDir, remoteFileName;
    int formatIndex = 0;
    bool rememberPassword = false;
    SftpTool tool;
    std::wstring tempImagePath; // the rendered picture; the job deletes it
    std::wstring tempStem;      // the folder and "kolvex_sftp_<pid>_<n>_" of the script and password file
    HWND owner = nullptr;       // the main window, which shows what the job reports
    DWORD deadlineMs = 60000;   // from the client's start to its end
    DWORD versionDeadlineMs = 10000;
};

// The first client found, in the fixed order of places; kind None when there is none.
SftpTool DetectSftpTool();
// The thread procedure: takes the job, uploads, reports, deletes every temporary file and frees the job.
DWORD WINAPI RunSftpUpload(void* job);
// Starts RunSftpUpload on a new thread that is not waited for. On failure the job's picture is deleted.
[[nodiscard]] bool StartSftpUpload(std::unique_ptr<SftpUploadJob> job);
// For the field checks: whether the ANSI conversion of a command line turns this code point into another
// ASCII character.
bool AnsiTurnsIntoAscii(char32_t codePoint);
// The fields of a job as the builder checks them.
SftpFields FieldsOf(const SftpUploadJob& job);
// The refusal of a field: "The %s field contains characters that cannot be used for an upload."
std::wstring UnusableFieldMessage(SftpField field);
