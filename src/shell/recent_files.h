// The list of recently opened pictures and its submenu.
#pragma once
#include <windows.h>

// Refills the Recent Files submenu from the list.
void RebuildRecentMenu(HMENU submenu);
int RecentFileCount();
