// Where a finished snip goes: the clipboard and the picture, each made from the capture itself.
// UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>

// Puts width x height top-down pixels on the clipboard as a packed 24-bit CF_DIB, and the same area of
// source at (sourceX, sourceY) as a screen-compatible CF_BITMAP. False when the clipboard stayed busy or took
// neither format.
[[nodiscard]] bool PutCaptureOnClipboard(const uint32_t* topDown, int width, int height, HDC source, int sourceX,
                                         int sourceY);

// An untouched blank page becomes the capture, one undo level back to the page; any other picture gets it as
// a floating selection at the top-left, grown to hold it. False, with the reason told, when the picture cannot
// take the size: then picture, history and modified flag are as they were.
[[nodiscard]] bool PutCaptureInPicture(const uint32_t* topDown, int width, int height);
