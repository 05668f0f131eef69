// The modeless thickness dialog.
#pragma once
#include <windows.h>

// The dialog's edit field while the dialog is open, or null; keys typed there are not shortcuts.
HWND ThicknessEditWindow();
