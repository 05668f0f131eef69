// The upload's names and texts: the remote file name, profile names, the word that Ctrl+Backspace deletes,
// psftp's release, the temporary file names and every status and message text the job shows.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "sftp/sftp_command_core.h"

// Format index 0 PNG, 1 JPEG, 2 BMP; anything else counts as PNG.
const wchar_t* UploadExtension(int formatIndex);
// The name cut at its last "." (when it has one) with the format's extension.
std::wstring ReplaceUploadExtension(std::wstring_view name, int formatIndex);

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// The default remote name: the document's file name with the format's extension, or "kolvex_" and the time
// when the document has no name or one of 120 characters or more.
std::wstring MakeUploadFileNameFrom(std::wstring_view documentPath, const LocalTime& now, int formatIndex);
// What Upload sends for a typed name: the default when empty, the extension added when it has no ".".
std::wstring UploadFileNameFor(std::wstring_view typed, std::wstring_view defaultName, int formatIndex);

// The port field as a number: its first 15 characters read as atoi does, 22 unless that gives 1..65535.
int ParsePort(std::wstring_view text);

// Where the word before the caret starts: separators (blank, tab, "\", "-", ".", "/", ":") are skipped
// leftwards first, then the word itself.
size_t PreviousWordStart(std::wstring_view text, size_t caret);

enum class ProfileNameProblem { None, Empty, Backslash, TooLong };
// Leading and trailing blanks and tabs removed.
std::wstring TrimProfileName(std::wstring_view name);
ProfileNameProblem CheckProfileName(std::wstring_view trimmedName);
const wchar_t* ProfileNameMessage(ProfileNameProblem problem);

// Whether psftp's answer to -V names release 0.77 or later, the first with -pwfile.
bool PsftpTakesPasswordFile(std::string_view versionOutput);

// Temporary files: "kolvex_sftp_<pid>_<n>_" and a suffix. ParseSftpTempName gives the pid of such a name.
std::wstring SftpTempStem(uint32_t pid, uint32_t number);
bool ParseSftpTempName(std::wstring_view fileName, uint32_t* pid);

struct UploadReport {
    std::wstring user, host, remoteDir, fileName, label;
    int port = 22;
    SftpToolKind kind = SftpToolKind::None;
    bool keyGiven = false;
    bool passwordOnCommandLine = false; // an old psftp got -pw
};
std::wstring UploadingStatus(const UploadReport& r);
std::wstring CompleteStatus(const UploadReport& r);
std::wstring SuccessMessage(const UploadReport& r);
// exitCode as the client left it (259 when it was stopped at stoppedAfterSeconds > 0); output as captured.
std::wstring FailureMessage(const UploadReport& r, uint32_t exitCode, std::wstring_view output,
                            unsigned stoppedAfterSeconds);
