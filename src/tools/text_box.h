// The open text box's record, shared by the text tool (text_tool.cpp) and its edit control's procedure
// (text_edit.cpp), and nothing else.
#pragma once
#include <windows.h>

#include "document/view_core.h"
#include "tools/text_core.h"

// UI thread only. At most one box exists.
struct TextBox {
    bool open = false;
    TextRect rect; // picture pixels
    HWND edit = nullptr;
    WNDPROC previousProc = nullptr; // the EDIT class's procedure, kept after the control is gone
    HFONT editFont = nullptr;       // zoomed, owned by the box
    HBRUSH opaqueBrush = nullptr;   // of the background colour, made at the first colour message
    bool moving = false;            // dragged by its border
    bool resizing = false;          // dragged by handle
    int handle = 0;
    PicturePoint pressPoint;
    TextRect atPress;
};
extern TextBox g_textBox;

LRESULT CALLBACK TextEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Margins 0 and the formatting rectangle the whole client area, without redraw.
void ResetEditLayout(HWND edit);
// The cursor over a content point of the canvas: a handle's sizing arrow or the move arrow; null elsewhere.
LPCSTR TextBoxCursorAt(POINT content);
// The edit control is being destroyed by its parent: the box is gone without a commit.
void ForgetTextEdit(HWND edit);
