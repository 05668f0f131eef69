// The three status bar parts as every feature writes them; the bar itself is the shell's.
#pragma once
#include <string>

enum StatusPart : int { kStatusMessage = 0, kStatusPointer = 1, kStatusDrag = 2 };

// UI thread only; worker threads post their texts to the main window instead. A null text or a missing status
// bar does nothing.
void SetStatusText(int part, const wchar_t* text);
void SetStatusText(int part, const char* ansiText);
std::wstring GetStatusText(int part);
