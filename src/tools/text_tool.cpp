#include "tools/text_tool.h"

// No text box can be opened yet, so there is never one to commit.
void CommitTextBox() {}
bool IsTextEditingActive() { return false; }
HWND TextEditWindow() { return nullptr; }
