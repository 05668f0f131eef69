// Cut, Copy and Paste through the system clipboard, always opened for the main window.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Command 204: the selection's rectangle, or the whole picture, as a 24-bit CF_DIB and a CF_BITMAP. False, with
// "Could not open the clipboard." in the status bar, when the clipboard stayed busy or took neither format.
[[nodiscard]] bool CopyToClipboard();
// Command 203: copies, then lifts and drops the selection; nothing is cut when the copy failed.
void CutToClipboard();
// Command 205: the clipboard's picture as a floating selection at the top-left.
void PasteFromClipboard();

// Opens the clipboard for the main window, trying for about 100 ms while another program holds it.
[[nodiscard]] bool OpenClipboardPatiently();
// Empties the clipboard and puts a packed DIB and a bitmap on it, taking both (either may be null); what the
// clipboard does not take is freed. True when it took at least one.
bool StoreImageOnClipboard(HGLOBAL dib, HBITMAP bitmap);
// A bitmap's pixels as width x height opaque bottom-up words; false (and a status text for a refused size)
// when it cannot be read.
[[nodiscard]] bool ReadBitmapPixels(HBITMAP bitmap, std::vector<uint32_t>* pixels, int* width, int* height);
