// Drawing of the tool box: the buttons and the option panel of the current tool, read from g_tools.
#pragma once
#include <windows.h>

// Draws the whole client area into hdc; changes no state but the cached checker brush.
void PaintToolBoxContent(HDC hdc, const RECT& client);
