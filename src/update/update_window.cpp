#include "update/update_window.h"

// The update check arrives later; until then its window is never open.
HWND UpdateWindowHandle() { return nullptr; }
