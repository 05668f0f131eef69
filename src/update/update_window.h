// The modeless update window.
#pragma once
#include <windows.h>

// The window while it is open, or null.
HWND UpdateWindowHandle();
