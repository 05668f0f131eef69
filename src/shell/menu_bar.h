// The menu bar, built in code: its items, check marks and greying, and the status-bar help for each item.
#pragma once
#include <windows.h>

#include <string>

// Builds the whole tree once, before the main window exists.
HMENU BuildMenuBar();
HMENU MenuBar();
HMENU RecentFilesMenu();
void CheckMenuCommand(int id, bool checked);
void OnInitMenuPopup(HMENU popup, int position, bool windowMenu);
void OnMenuSelect(int item, UINT flags, HMENU menu);
// The status help of a command, empty when it has none.
std::wstring CommandHelpText(int id);
