// The text tool's in-place text box.
#pragma once
#include <windows.h>

// Draws a pending text box into the picture and closes it; harmless when none is open.
void CommitTextBox();
bool IsTextEditingActive();
// The text box's edit control, or null.
HWND TextEditWindow();
