#include "base/app_windows.h"

AppWindows g_app;

void RepaintCanvas() {
    if (g_app.canvas) InvalidateRect(g_app.canvas, nullptr, FALSE);
}

void RepaintToolBox() {
    if (g_app.toolBox) InvalidateRect(g_app.toolBox, nullptr, TRUE);
}

void RepaintColorBox() {
    if (g_app.colorBox) InvalidateRect(g_app.colorBox, nullptr, TRUE);
}

void CheckMenuCommand(int id, bool checked) {
    if (g_app.menuBar)
        CheckMenuItem(g_app.menuBar, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}
