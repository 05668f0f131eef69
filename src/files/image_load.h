// Reading a picture file into the canvas.
#pragma once
#include <string>

// How a load ended. RowsMissing is a load: the file's rows ended early and the missing ones are white. The size is
// the picture's as the file states it, for TooLarge and NoMemory.
enum class LoadResult { Loaded, RowsMissing, Unreadable, TooLarge, NoMemory };
struct LoadOutcome {
    LoadResult result = LoadResult::Unreadable;
    int width = 0, height = 0;
};

// Loads the file into the picture; false leaves the picture, document and history untouched. Shows nothing: the
// callers say what happened, from *outcome.
[[nodiscard]] bool LoadImageFile(const std::wstring& path, LoadOutcome* outcome = nullptr);
// The same for a path in the ANSI code page.
[[nodiscard]] bool LoadImageFileAnsi(const std::string& path, LoadOutcome* outcome = nullptr);
// The absolute form of a path, as the document and the recent files keep it; the path itself when the system
// cannot say.
std::wstring FullPathOf(const std::wstring& path);
