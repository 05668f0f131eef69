// The text tool's in-place text box.
#pragma once
#include <windows.h>

#include "tools/pending_edits.h"
#include "tools/tool_row.h"

// Draws a pending text box into the picture and closes it; harmless when none is open.
void CommitTextBox();
bool IsTextEditingActive();
// The text box's edit control, or null.
HWND TextEditWindow();

// The text box as a pending edit of the canvas, and the Text tool's row.
extern const PendingEdit kTextBoxEdit;
extern const ToolRow kTextRow;
