#include "shell/recent_files.h"

// The list is kept once the recent-files module is complete; until then it is always empty.
void LoadRecentFiles() {}
void AddRecentFile(const std::wstring&) {}
void ClearRecentFiles() {}
void OpenRecentFile(int) {}
int RecentFileCount() { return 0; }
std::wstring RecentFileAt(int) { return {}; }

void RebuildRecentMenu(HMENU submenu) {
    if (!submenu) return;
    while (GetMenuItemCount(submenu) > 0)
        DeleteMenu(submenu, 0, MF_BYPOSITION);
    AppendMenuW(submenu, MF_STRING | MF_GRAYED, 0, L"(No Recent Files)");
}
