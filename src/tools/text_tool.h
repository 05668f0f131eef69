// The Text tool: the in-place text box with its edit control, the text style, and the box's place among the
// pending edits of the canvas.
#pragma once
#include <windows.h>

#include "document/view_core.h"
#include "tools/pending_edits.h"
#include "tools/text_core.h"
#include "tools/tool_row.h"

// UI thread only; lives for the run and starts from these values at every start.
struct TextStyle {
    wchar_t face[LF_FACESIZE] = L"Arial";
    int pointSize = kDefaultPointSize; // 1..1000
    bool bold = false;
    bool italic = false;
    bool underline = false;
};
extern TextStyle g_textStyle;

constexpr int kTextEditId = 8001;

// Opens a box on the picture rectangle with corners a and b in any order (an open box is committed first).
void BeginTextBox(PicturePoint a, PicturePoint b);
// Draws a pending text box into the picture as one undo level and closes it; harmless when none is open.
void CommitTextBox();
// Closes the box without drawing anything.
void CancelTextBox();
// Rebuilds the edit's font from the style and the zoom; nothing without a box.
void ApplyTextFont();
// Moves the edit over the box's place on the screen, for the zoom and the scroll offsets; nothing without a box.
void PlaceTextEdit();
bool IsTextEditingActive();
// The text box's edit control, or null.
HWND TextEditWindow();
// The colours or the text background mode changed: the box drops its background brush and repaints its edit.
void TextBoxColorsChanged();
// The canvas's WM_CTLCOLOREDIT and WM_CTLCOLORSTATIC: sets the edit's colours into dc and gives its brush; false
// for any other control.
bool TextEditColors(HDC dc, HWND control, HBRUSH* brush);

// The text box as a pending edit of the canvas, and the Text tool's row.
extern const PendingEdit kTextBoxEdit;
extern const ToolRow kTextRow;
