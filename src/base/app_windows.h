// The program's long-lived window handles and the repaints every feature asks for, so that no feature has to
// reach into the main window to find a handle.
#pragma once
#include <windows.h>

// UI thread only. Handles are null before their windows exist and after they are destroyed.
struct AppWindows {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    HWND canvas = nullptr;
    HWND toolBox = nullptr;
    HWND colorBox = nullptr;
    HWND statusBar = nullptr;
    HMENU menuBar = nullptr;
    bool showToolBox = true;
    bool showColorBox = true;
    bool showStatusBar = true;
    bool wheelForwarding = false; // a wheel message is on its way to the canvas
    bool closing = false;         // a close request is being processed
};
extern AppWindows g_app;

// The canvas is double-buffered and never erased; the tool box and colour box repaint with erase.
void RepaintCanvas();
void RepaintToolBox();
void RepaintColorBox();
// Checks or unchecks a command of the menu bar; nothing before the bar exists.
void CheckMenuCommand(int id, bool checked);
