// The modeless mosaic dialog: a preset or custom block size, applied with OK.
#pragma once
#include <windows.h>

constexpr wchar_t kMosaicClass[] = L"KolvexMosaicClass";
// Control ids: the four presets, "Custom:" and its edit.
constexpr int kMosaicFirstPresetId = 101;
constexpr int kMosaicCustomId = 105;
constexpr int kMosaicEditId = 106;

// Opens a further dialog, centred on owner, with the radio button of mosaicBlockSize or "Custom:" with it.
void OpenMosaicDialog(HWND owner);
