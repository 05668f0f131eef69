// The upload's temporary files in the user's temporary folder, "kolvex_sftp_<pid>_<n>_" and batch.txt,
// temp.<ext> or pw.txt: reserved with CREATE_NEW, deleted by the job, and those of runs that ended without
// cleaning up removed at the next start. Any thread unless said otherwise.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

// The user's temporary folder with its trailing "\", or empty.
std::wstring SftpTempFolder();
// Reserves a new stem and creates its picture file, empty, ready to be written over. stem is the folder and
// "kolvex_sftp_<pid>_<n>_"; false when no name could be created.
[[nodiscard]] bool ReserveSftpTempPicture(const wchar_t* extension, std::wstring* stem, std::wstring* picturePath);
// Creates path with CREATE_NEW and writes bytes; a file left half-written is deleted.
[[nodiscard]] bool WriteNewTempFile(const std::wstring& path, std::string_view bytes);
// Deletes path, trying again for a moment while a client that just ended still holds it; true when it is gone.
bool DeleteTempFile(const std::wstring& path);
// The 8.3 form of an existing file's path, or empty.
std::wstring ShortPathOf(const std::wstring& path);

// Password files alive now; the exit handler deletes them when the program ends during an upload.
void RememberPasswordFile(const std::wstring& path);
void ForgetPasswordFile(const std::wstring& path);

// UI thread, at start: deletes the files of processes that no longer run and registers the exit handler.
void PrepareSftpTempFiles();
