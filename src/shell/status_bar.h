// The three-part status bar and the caption built from the document's name and modified flag.
#pragma once
#include <windows.h>

#include "base/status_text.h"

constexpr int kStatusBarId = 1001;

HWND CreateStatusBar(HWND parent);
// Part 0 follows the window width; parts 1 and 2 keep their size at the right.
void SizeStatusParts(int clientWidth);
void UpdateWindowTitle();
