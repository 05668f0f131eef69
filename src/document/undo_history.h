// The undo and redo history. Every change of the picture calls PushUndoSnapshot once, before it. A level holds
// only the tiles its change touched (the whole picture across a size change), found against a shadow of the
// picture at the last history event. Older levels are spooled to files in %TEMP%\kolvex_undo_<pid> so that
// memory stays within the two budgets.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "document/tile_core.h"
#include "document/undo_core.h"

// One state of the picture: its content in memory (pixels present) or spooled (pixels empty, spoolPath set).
// The newest undo level is open until the next history event: the shadow holds its state, and the tiles its
// change touched are found when it closes.
struct UndoEntry {
    LevelContent content; // empty while spooled
    std::wstring spoolPath;
    SpoolShape spooled; // what the spool file must hold
    bool open = false;
};

// UI thread only.
struct UndoHistory {
    std::vector<UndoEntry> undo; // oldest first; the last is the state Undo returns to
    std::vector<UndoEntry> redo; // the last is the state Redo returns to
    std::wstring spoolDirectory; // empty until the first level is spooled
    uint32_t spoolCounter = 0;
};
extern UndoHistory g_undo;

// Records the picture as it is now, empties the redo stack and marks the document modified, also when
// memory is too short to keep the level.
void PushUndoSnapshot();
// Commands 201 and 202. A level that cannot be restored stays where it was, with a message.
void Undo();
void Redo();
// Delete the spool file of every entry, then the entries.
void ClearUndoStack();
void ClearRedoStack();
// Deletes the files in the spool directory and the directory itself.
void RemoveSpoolDirectory();
// Both stacks with their spool files and the spool directory; safe to call more than once.
void ClearUndoHistory();
// Removes %TEMP%\kolvex_undo_<pid> folders left by runs that are no longer alive; never this process's own.
void RemoveStaleSpoolDirectories();
// Bytes the history's levels hold in memory, both stacks; the shadow (one picture) is not counted.
uint64_t ShadowBytes();
// Pixel bytes the history holds in memory, both stacks.
uint64_t UndoMemoryBytes();
