// The ten most recently opened or saved pictures: kept in the registry, listed in the Recent Files submenu.
#pragma once
#include <windows.h>

#include <string>

// Reads the list from HKEY_CURRENT_USER\Software\Kolvex\RecentFiles; called once at start-up.
void LoadRecentFiles();
// Puts the path (made absolute) at the top of the list, saves the list and refills the submenu.
void AddRecentFile(const std::wstring& path);
// Command 130.
void ClearRecentFiles();
// Commands 120..129: asks about unsaved changes, then opens the entry or offers to remove a missing file.
void OpenRecentFile(int index);
// Refills the Recent Files submenu from the list.
void RebuildRecentMenu(HMENU submenu);
int RecentFileCount();
// The entry at index, or an empty string.
std::wstring RecentFileAt(int index);
