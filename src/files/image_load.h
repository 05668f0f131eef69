// Reading a picture file into the canvas.
#pragma once
#include <string>

// Loads the file into the picture; false leaves the picture, document and history untouched.
[[nodiscard]] bool LoadImageFile(const std::wstring& path);
// The same for a path in the ANSI code page.
[[nodiscard]] bool LoadImageFileAnsi(const std::string& path);
