// Where the upload looks for an external client, in the order the first existing file wins. The candidates
// are built from the places alone; the Windows side asks which exist.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "sftp/sftp_command_core.h"

struct SftpSearchPlaces {
    std::wstring programDir; // the folder of Kolvex.exe, without a trailing "\"
    std::wstring systemDir;  // GetSystemDirectory; empty when it cannot be read
    std::wstring windowsDir; // GetWindowsDirectory
    bool wow64 = false;      // a 32-bit program on 64-bit Windows, where system32 means SysWOW64
    std::wstring pathVariable;
};

struct SftpCandidate {
    SftpToolKind kind;
    std::wstring path;
    const wchar_t* label;
};

// Rows 1-9: the program folder, the Windows OpenSSH folder (through Sysnative under WOW64), both Program Files
// folders, then psftp, sftp and scp in the absolute PATH entries. The current folder never counts.
std::vector<SftpCandidate> SftpToolCandidates(const SftpSearchPlaces& places);
// The absolute folders of a PATH value in order, without quotes or a trailing "\"; ".", relative and
// drive-relative entries are left out.
std::vector<std::wstring> AbsolutePathEntries(std::wstring_view pathVariable);
