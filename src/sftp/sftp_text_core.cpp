#include "sftp/sftp_text_core.h"

#include <cstdio>
#include <cwchar>

#include "files/file_core.h"

namespace {

bool IsWordSeparator(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\\' || c == L'-' || c == L'.' || c == L'/' || c == L':';
}

// Digits at s[*i..], saturating at 999,999,999; false when there are none.
bool ReadNumber(std::string_view s, size_t* i, uint32_t* value) {
    const size_t start = *i;
    uint32_t v = 0;
    for (; *i < s.size() && s[*i] >= '0' && s[*i] <= '9'; ++*i)
        v = v >= 100000000 ? 999999999 : v * 10 + static_cast<uint32_t>(s[*i] - '0');
    *value = v;
    return *i > start;
}

bool ReadWideNumber(std::wstring_view s, size_t* i, uint32_t* value) {
    const size_t start = *i;
    uint64_t v = 0;
    for (; *i < s.size() && s[*i] >= L'0' && s[*i] <= L'9' && *i - start < 10; ++*i)
        v = v * 10 + static_cast<uint64_t>(s[*i] - L'0');
    if (*i == start || v > 0xFFFFFFFFu) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

bool IsDriveFolder(std::wstring_view dir) {
    return dir.size() >= 2 && dir[1] == L':' &&
           ((dir[0] >= L'A' && dir[0] <= L'Z') || (dir[0] >= L'a' && dir[0] <= L'z'));
}

// The remote file as the success message names it: relative folders start at the login folder, "~".
std::wstring RemotePathForMessage(const std::wstring& dir, const std::wstring& name) {
    if (dir.empty()) return L"/~/" + name;
    if (dir == L"/") return L"/" + name;
    if (dir.front() == L'/') return dir + L"/" + name;
    return (IsDriveFolder(dir) ? L"/" : L"/~/") + dir + L"/" + name;
}

std::wstring TrimTrailingLineBreaks(std::wstring text) {
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return text;
}

std::wstring WithPasswordNote(std::wstring text, const UploadReport& r) {
    if (!r.passwordOnCommandLine) return text;
    return TrimTrailingLineBreaks(std::move(text)) +
           L"\r\n\r\nThis psftp takes the password on its command line; PuTTY 0.77 or later keeps it hidden.";
}

} // namespace

const wchar_t* UploadExtension(int formatIndex) {
    if (formatIndex == 1) return L".jpg";
    if (formatIndex == 2) return L".bmp";
    return L".png";
}

std::wstring ReplaceUploadExtension(std::wstring_view name, int formatIndex) {
    const size_t dot = name.rfind(L'.');
    return std::wstring(name.substr(0, dot)) + UploadExtension(formatIndex);
}

std::wstring MakeUploadFileNameFrom(std::wstring_view documentPath, const LocalTime& t, int formatIndex) {
    const std::wstring_view last = FileNamePart(documentPath);
    if (!last.empty() && last.size() < 120) return ReplaceUploadExtension(last, formatIndex);
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"kolvex_%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return std::wstring(stamp) + UploadExtension(formatIndex);
}

std::wstring UploadFileNameFor(std::wstring_view typed, std::wstring_view defaultName, int formatIndex) {
    if (typed.empty()) return std::wstring(defaultName);
    if (typed.find(L'.') == std::wstring_view::npos) return std::wstring(typed) + UploadExtension(formatIndex);
    return std::wstring(typed);
}

int ParsePort(std::wstring_view text) {
    text = text.substr(0, 15);
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long v = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        v = v > 1000000 ? v : v * 10 + (text[i] - L'0');
    return !negative && v >= 1 && v <= 65535 ? static_cast<int>(v) : 22;
}

size_t PreviousWordStart(std::wstring_view text, size_t caret) {
    size_t i = caret < text.size() ? caret : text.size();
    while (i > 0 && IsWordSeparator(text[i - 1]))
        --i;
    while (i > 0 && !IsWordSeparator(text[i - 1]))
        --i;
    return i;
}

std::wstring TrimProfileName(std::wstring_view name) {
    const size_t first = name.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    const size_t last = name.find_last_not_of(L" \t");
    return std::wstring(name.substr(first, last - first + 1));
}

ProfileNameProblem CheckProfileName(std::wstring_view trimmedName) {
    if (trimmedName.empty()) return ProfileNameProblem::Empty;
    // A "\" would make the registry key a path of several keys.
    if (trimmedName.find(L'\\') != std::wstring_view::npos) return ProfileNameProblem::Backslash;
    if (trimmedName.size() > kSftpProfileNameMax) return ProfileNameProblem::TooLong;
    return ProfileNameProblem::None;
}

const wchar_t* ProfileNameMessage(ProfileNameProblem problem) {
    switch (problem) {
    case ProfileNameProblem::Empty: return L"Please enter a profile name (e.g. 'Server A').";
    case ProfileNameProblem::Backslash: return L"Profile names cannot contain \\.";
    case ProfileNameProblem::TooLong: return L"Profile names can have at most 63 characters.";
    case ProfileNameProblem::None: break;
    }
    return L"";
}

bool PsftpTakesPasswordFile(std::string_view out) {
    constexpr std::string_view kRelease = "Release ";
    for (size_t at = out.find(kRelease); at != std::string_view::npos; at = out.find(kRelease, at + 1)) {
        size_t i = at + kRelease.size();
        uint32_t major = 0, minor = 0;
        if (!ReadNumber(out, &i, &major) || i >= out.size() || out[i] != '.') continue;
        ++i;
        if (!ReadNumber(out, &i, &minor)) continue;
        return major > 0 || minor >= 77;
    }
    return false;
}

std::wstring SftpTempStem(uint32_t pid, uint32_t number) {
    return L"kolvex_sftp_" + std::to_wstring(pid) + L"_" + std::to_wstring(number) + L"_";
}

bool ParseSftpTempName(std::wstring_view name, uint32_t* pid) {
    constexpr std::wstring_view kPrefix = L"kolvex_sftp_";
    if (name.size() <= kPrefix.size()) return false;
    for (size_t i = 0; i < kPrefix.size(); ++i)
        if ((name[i] >= L'A' && name[i] <= L'Z' ? name[i] + (L'a' - L'A') : name[i]) != kPrefix[i]) return false;
    size_t i = kPrefix.size();
    uint32_t number = 0;
    if (!ReadWideNumber(name, &i, pid) || i >= name.size() || name[i++] != L'_') return false;
    return ReadWideNumber(name, &i, &number) && i + 1 < name.size() && name[i] == L'_';
}

std::wstring UploadingStatus(const UploadReport& r) {
    return L"SFTP: Uploading " + r.fileName + L" to " + r.user + L"@" + r.host + L":" + std::to_wstring(r.port) +
           L"...";
}

std::wstring CompleteStatus(const UploadReport& r) { return L"SFTP: Upload complete: " + r.fileName; }

std::wstring SuccessMessage(const UploadReport& r) {
    const std::wstring text = L"Image uploaded successfully via SFTP!\r\n\r\nRemote: sftp://" + r.user + L"@" + r.host +
                              L":" + std::to_wstring(r.port) + RemotePathForMessage(r.remoteDir, r.fileName) +
                              L"\r\nEngine: " + r.label;
    return WithPasswordNote(text, r);
}

std::wstring FailureMessage(const UploadReport& r, uint32_t exitCode, std::wstring_view output,
                            unsigned stoppedAfterSeconds) {
    std::wstring text = L"SFTP upload failed (Exit code: " + std::to_wstring(exitCode) + L").\r\n\r\n";
    if (stoppedAfterSeconds > 0)
        text += L"The SFTP client did not finish within " + std::to_wstring(stoppedAfterSeconds) +
                L" seconds and was stopped.\r\n\r\n";
    if (!output.empty()) text += L"Tool Output:\r\n" + std::wstring(output) + L"\r\n\r\n";
    if (r.kind == SftpToolKind::OpenSshSftp && !r.keyGiven)
        text += L"Hint: Windows OpenSSH sftp requires an SSH Private Key (-i) for automated non-interactive "
                L"uploads.\r\nTo use password authentication, place 'psftp.exe' (PuTTY SFTP) into the Kolvex folder.";
    return WithPasswordNote(std::move(text), r);
}
