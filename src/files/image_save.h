// Writing the picture: 24-bit BMP by the program itself, PNG, JPEG and GIF through GDI+. Every write goes to a
// temporary file in the target's folder first and replaces the target only once it is complete, so a failed
// save leaves the old file as it was.
#pragma once
#include <string>

#include "files/file_core.h"

enum class SaveResult { Saved, NoPicture, NoGdiplus, GdiplusIncomplete, GdiplusStartupFailed, NoEncoder, WriteFailed };

// The writers write the file and nothing else: the document, the caption and the recent files stay as they are.
[[nodiscard]] SaveResult WriteBmpFile(const std::wstring& path);
[[nodiscard]] SaveResult WriteEncodedImage(const std::wstring& path, ImageFormat format);
// The message box for a failed save; nothing for Saved or NoPicture.
void ReportSaveFailure(SaveResult result);
// The document save: writes by the extension (BMP for unknown ones), then takes the path as the document's and
// clears the modified flag. The callers have settled the pending edits. A failure is reported and leaves the
// document as it was.
[[nodiscard]] bool SaveImageFile(const std::wstring& path);
