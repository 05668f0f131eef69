// UTF-8 <-> UTF-16 at the boundary to the system; the program keeps paths in UTF-8.
#pragma once
#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view s);
// Empty when s is not valid UTF-8, where Utf8ToWide would put replacement characters.
std::wstring Utf8ToWideStrict(std::string_view s);
std::string WideToUtf8(std::wstring_view s);
std::wstring AnsiToWide(std::string_view s);
std::string WideToAnsi(std::wstring_view s);
