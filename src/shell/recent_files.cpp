#include "shell/recent_files.h"

// The list is kept once pictures can be opened and saved; until then it is always empty.
int RecentFileCount() { return 0; }

void RebuildRecentMenu(HMENU submenu) {
    if (!submenu) return;
    while (GetMenuItemCount(submenu) > 0)
        DeleteMenu(submenu, 0, MF_BYPOSITION);
    AppendMenuW(submenu, MF_STRING | MF_GRAYED, 0, L"(No Recent Files)");
}
