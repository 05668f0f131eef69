// The undo and redo history. Every change of the picture calls PushUndoSnapshot once, before it.
#pragma once

// Marks the document modified and updates the caption; the history levels themselves arrive with the
// undo stacks.
void PushUndoSnapshot();
// Clears both stacks and their spool files; safe to call more than once.
void ClearUndoHistory();
// Commands 201 and 202.
void Undo();
void Redo();
