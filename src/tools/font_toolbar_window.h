// The font toolbar: a small floating window ("Fonts") that chooses the text box's face, size, bold, italic and
// underline. Created at its first showing, then only shown and hidden; it lives as long as the main window.
#pragma once
#include <windows.h>

constexpr wchar_t kFontToolbarClass[] = L"KolvexFontToolbarClass";
constexpr int kFaceListId = 8002;
constexpr int kSizeBoxId = 8003;
constexpr int kBoldButtonId = 8004;
constexpr int kItalicButtonId = 8005;
constexpr int kUnderlineButtonId = 8006;

LRESULT CALLBACK FontToolbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Shows the toolbar (creating it the first time) and checks "Text Toolbar", or hides it and unchecks the item.
void ShowFontToolbar(bool show);
// Command 304: shows the toolbar when it is hidden, hides it when it shows.
void ToggleFontToolbar();
// The toolbar window, or null before its first showing.
HWND FontToolbarWindow();
// Whether keys for target are text for the toolbar's face list or size box rather than shortcuts.
bool IsFontToolbarField(HWND target);
