// The full-screen snip overlay: it freezes an image of the screen, lets the user drag a rectangle over it and
// hands the region to the clipboard and the picture. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>

#include "capture/snip_core.h"

constexpr wchar_t kSnipClass[] = L"KolvexSnipClass";
constexpr wchar_t kSnipTitle[] = L"Kolvex Screen Snip";
// Polls Esc, which another window may have taken.
constexpr UINT_PTR kSnipEscapeTimer = 9999;
constexpr UINT kSnipEscapePeriodMs = 40;

// A memory DC with its bitmap selected; pixels only for the DIB sections (top-down rows).
struct SnipSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    uint32_t* pixels = nullptr;
};

// UI thread only. overlay is set while a snip runs; the surfaces exist only then.
struct SnipState {
    HWND overlay = nullptr;
    bool restoreMainWindow = false; // the main window was visible when the snip started
    SnipRect area;                  // screen coordinates of what was frozen
    SnipSurface frozen;             // the screen as it was
    SnipSurface dimmed;             // the same, darkened
    SnipSurface back;               // the back buffer the overlay paints into
    bool dragging = false;
    POINT start{}, current{}; // overlay client coordinates
};
extern SnipState g_snip;

// The three snip hot keys, registered to the main window; a key another program holds is simply missing.
constexpr int kHotKeySnipWinShiftS = 21249;
constexpr int kHotKeySnipCtrlShiftX = 21250;
constexpr int kHotKeySnipPrintScreen = 21251;
void RegisterSnipHotKeys(HWND main);
void UnregisterSnipHotKeys(HWND main);

LRESULT CALLBACK SnipOverlayProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Starts a snip unless one runs or the main window is disabled by a dialog or message box.
void StartScreenSnip();
// The button went up: the region to the clipboard and the picture, or a cancel for too small a drag.
void FinishScreenSnip();
// Ends the snip without a capture, shows the main window again if it was visible and says so.
void CancelScreenSnip();
// Kills the timer, destroys the overlay and frees the surfaces; harmless without a snip.
void ReleaseSnipResources();
// Whether the picture is an empty page as far as a capture is concerned (see snip_core.h).
bool IsPictureBlank();
// The overlay while a snip runs, or null; a destroyed overlay is no snip.
HWND SnipWindow();
