#include "base/text_convert.h"

#include <windows.h>

static std::wstring ToWide(UINT codePage, std::string_view s, DWORD flags = 0) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(codePage, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

static std::string FromWide(UINT codePage, std::wstring_view s) {
    if (s.empty()) return {};
    const int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Utf8ToWide(std::string_view s) { return ToWide(CP_UTF8, s); }
std::wstring Utf8ToWideStrict(std::string_view s) { return ToWide(CP_UTF8, s, MB_ERR_INVALID_CHARS); }
std::string WideToUtf8(std::wstring_view s) { return FromWide(CP_UTF8, s); }
std::wstring AnsiToWide(std::string_view s) { return ToWide(CP_ACP, s); }
std::string WideToAnsi(std::wstring_view s) { return FromWide(CP_ACP, s); }
