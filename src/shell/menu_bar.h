// The menu bar, built in code: its items, check marks and greying, and the status-bar help for each item.
#pragma once
#include <windows.h>

#include <string>

// Builds the whole tree once, before the main window exists.
HMENU BuildMenuBar();
HMENU MenuBar();
HMENU RecentFilesMenu();
// Adds an item through AppendMenuW when the system has it, else with the text in the ANSI code page.
void AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text);
void OnInitMenuPopup(HMENU popup, int position, bool windowMenu);
void OnMenuSelect(int item, UINT flags, HMENU menu);
// The status help of a command, empty when it has none.
std::wstring CommandHelpText(int id);
