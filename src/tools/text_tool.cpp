#include "tools/text_tool.h"

// No text box can be opened yet, so there is never one to commit, hit or paint.
void CommitTextBox() {}
bool IsTextEditingActive() { return false; }
HWND TextEditWindow() { return nullptr; }

static void SettleTextBox(Settle) { CommitTextBox(); }

const PendingEdit kTextBoxEdit{.beforeGrips = true, .settle = SettleTextBox};

static PressOutcome TextPress(const ToolPointer&) { return PressOutcome::NoRepaint; }

const ToolRow kTextRow{.press = TextPress};
