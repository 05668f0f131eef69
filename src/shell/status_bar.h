// The document's name and modified flag, the caption built from them, and the three-part status bar.
#pragma once
#include <windows.h>

#include <string>

// UI thread only.
struct DocumentState {
    std::string path; // UTF-8, full path; empty for an untitled picture
    bool modified = false;
};
extern DocumentState g_document;

constexpr int kStatusBarId = 1001;
enum StatusPart : int { kStatusMessage = 0, kStatusPointer = 1, kStatusDrag = 2 };

HWND CreateStatusBar(HWND parent);
// Part 0 follows the window width; parts 1 and 2 keep their size at the right.
void SizeStatusParts(int clientWidth);
void UpdateWindowTitle();
// A null text or a missing status bar does nothing.
void SetStatusText(int part, const wchar_t* text);
void SetStatusText(int part, const char* ansiText);
std::wstring GetStatusText(int part);
