#include "document/undo_history.h"

#include "shell/status_bar.h"

void PushUndoSnapshot() {
    g_document.modified = true;
    UpdateWindowTitle();
}

void ClearUndoHistory() {}

void Undo() {}
void Redo() {}
