#include "files/file_commands.h"

// Saving arrives with the file writers; until then there is nothing to offer, so closing goes on.
bool AskToSaveChanges() { return true; }

// No writer exists yet, so nothing can be saved; callers keep the picture open.
bool SaveDocument(HWND) { return false; }
