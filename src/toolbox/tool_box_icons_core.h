// The tool buttons' 16 x 16 pictures as letter maps: one character per pixel, '.' lets the button face show.
#pragma once
#include <cstdint>

constexpr int kIconSize = 16;
extern const char* const kToolIcons[18][kIconSize];

// Whether c is a palette letter, and its colour as a Windows colour value 0x00BBGGRR.
bool IsIconPaletteLetter(char c);
// Any letter outside the palette is black, as 'k' is.
uint32_t IconLetterColor(char c);
