// Commands that the tools carry out.
#pragma once

// Command 212: strokes the path, or says why it cannot.
void StrokePathCommand();
// Command 206: a selection's area becomes Color 2 unless it was lifted; the selection ends.
void ClearSelectionCommand();
// Command 207: the Select tool, set without the side effects of a tool change, and the whole picture selected.
void SelectAllCommand();
