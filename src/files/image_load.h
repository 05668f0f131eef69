// Reading a picture file into the canvas.
#pragma once
#include <string>

// Loads the file into the picture; false leaves the picture, document and history untouched. Shows nothing:
// the callers say what went wrong.
[[nodiscard]] bool LoadImageFile(const std::wstring& path);
// The same for a path in the ANSI code page.
[[nodiscard]] bool LoadImageFileAnsi(const std::string& path);
// The absolute form of a path, as the document and the recent files keep it; the path itself when the system
// cannot say.
std::wstring FullPathOf(const std::wstring& path);
