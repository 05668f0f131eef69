// The File commands and the save question.
#pragma once

#include <windows.h>

// Saves to the document's path, or asks for one when it has none; false when nothing was saved.
[[nodiscard]] bool SaveDocument(HWND owner);
// Asked before the picture is closed or replaced while modified; false means the user cancelled.
[[nodiscard]] bool AskToSaveChanges();
