// The text box's life: opened at the end of a Text drag, moved and resized by its frame, drawn into the picture
// at the commit, closed by Esc; and the Text tool's rectangle drag.
#include "tools/text_tool.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/app_windows.h"
#include "base/scoped_handles.h"
#include "base/status_text.h"
#include "base/ui_thread.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "tools/canvas_window.h"
#include "tools/text_box.h"
#include "toolbox/colors.h"
#include "toolbox/tool_state.h"

TextStyle g_textStyle;
TextBox g_textBox;

// Child, visible, multi-line, auto vertical scroll, want-return.
constexpr DWORD kTextEditStyle = 0x50001044;
// DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL: wrapped as the edit control wraps.
constexpr UINT kTextDrawFlags = 0x2850;

static int CanvasDpi() {
    if (!g_app.canvas) return 96;
    ScopedGetDC dc(g_app.canvas);
    return dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
}

static HFONT CreateTextFont(int height) {
    const TextStyle& s = g_textStyle;
    return CreateFontW(-height, 0, 0, 0, s.bold ? FW_BOLD : FW_NORMAL, s.italic, s.underline, FALSE, DEFAULT_CHARSET, 0,
                       0, 0, 0, s.face);
}

void ResetEditLayout(HWND edit) {
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    RECT rc;
    GetClientRect(edit, &rc);
    SendMessageW(edit, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rc));
}

bool IsTextEditingActive() { return g_textBox.open; }
HWND TextEditWindow() { return g_textBox.open ? g_textBox.edit : nullptr; }

static void DeleteBoxObjects() {
    if (g_textBox.editFont) DeleteObject(g_textBox.editFont);
    if (g_textBox.opaqueBrush) DeleteObject(g_textBox.opaqueBrush);
    g_textBox.editFont = nullptr;
    g_textBox.opaqueBrush = nullptr;
}

static void ClearMoveAndResize() {
    g_textBox.moving = g_textBox.resizing = false;
    g_textBox.handle = 0;
}

// The box is marked closed and its control forgotten before the control goes: destroying the focused edit moves
// the focus, and whatever runs then must find no box left to commit.
static void CloseTextBox() {
    HWND edit = g_textBox.edit;
    g_textBox.open = false;
    g_textBox.edit = nullptr;
    if (edit) DestroyWindow(edit);
    DeleteBoxObjects();
    RepaintCanvas();
}

void ForgetTextEdit(HWND edit) {
    if (edit != g_textBox.edit) return;
    g_textBox.open = false;
    g_textBox.edit = nullptr;
    ClearMoveAndResize();
    DeleteBoxObjects();
}

void BeginTextBox(PicturePoint a, PicturePoint b) {
    AssertUiThread();
    CommitTextBox();
    if (!g_app.canvas || !g_canvas.pixels) return;
    g_textBox.rect = TextBoxFromCorners(a, b, g_textStyle.pointSize, g_canvas.width, g_canvas.height);
    const EditPlacement at = TextEditPlacement(g_textBox.rect, g_view.zoom, g_view.scrollX, g_view.scrollY);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", kTextEditStyle, at.x, at.y, at.width, at.height, g_app.canvas,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextEditId)), g_app.instance, nullptr);
    if (!edit) {
        RepaintCanvas();
        return;
    }
    g_textBox.previousProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextEditProc)));
    ResetEditLayout(edit);
    g_textBox.edit = edit;
    g_textBox.open = true;
    ApplyTextFont();
    SetFocus(edit);
    RepaintCanvas();
}

void ApplyTextFont() {
    if (!g_textBox.open || !g_textBox.edit) return;
    HFONT font = CreateTextFont(EditFontHeight(g_textStyle.pointSize, g_view.zoom, CanvasDpi()));
    SendMessageW(g_textBox.edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // The old font goes only once the control no longer uses it.
    if (g_textBox.editFont) DeleteObject(g_textBox.editFont);
    g_textBox.editFont = font;
    ResetEditLayout(g_textBox.edit);
    InvalidateRect(g_textBox.edit, nullptr, TRUE);
}

void PlaceTextEdit() {
    if (!g_textBox.open || !g_textBox.edit) return;
    const EditPlacement at = TextEditPlacement(g_textBox.rect, g_view.zoom, g_view.scrollX, g_view.scrollY);
    MoveWindow(g_textBox.edit, at.x, at.y, at.width, at.height, TRUE);
    ResetEditLayout(g_textBox.edit);
    InvalidateRect(g_textBox.edit, nullptr, TRUE);
}

static std::wstring EditText(HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), length + 1)));
    return text;
}

// The text at 1:1 in the picture, wrapped where the edit's formatting rectangle wraps it at the zoom.
static void DrawTextIntoPicture(const std::wstring& text) {
    RECT format{};
    SendMessageW(g_textBox.edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const TextRect t = TextTargetRect(g_textBox.rect, g_view.zoom, format.left, format.top, format.right);
    PushUndoSnapshot();
    HDC dc = g_canvas.memDC;
    ScopedGdiObj<HFONT> font(CreateTextFont(CommitFontHeight(g_textStyle.pointSize, CanvasDpi())));
    ScopedSelectObject selectFont(dc, font.get());
    const COLORREF oldColor = SetTextColor(dc, g_colors.foreground);
    const COLORREF oldBack = SetBkColor(dc, g_colors.background);
    const int oldMode = SetBkMode(dc, g_tools.textTransparent ? TRANSPARENT : OPAQUE);
    if (!g_tools.textTransparent) {
        const TextRect& b = g_textBox.rect;
        const RECT whole{b.left, b.top, b.right, b.bottom};
        ScopedGdiObj<HBRUSH> fill(CreateSolidBrush(g_colors.background));
        FillRect(dc, &whole, fill.get());
    }
    RECT target{t.left, t.top, t.right, t.bottom};
    DrawTextW(dc, text.c_str(), -1, &target, kTextDrawFlags);
    GdiFlush();
    SetBkMode(dc, oldMode);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldColor);
    MarkDocumentModified();
}

void CommitTextBox() {
    AssertUiThread();
    ClearMoveAndResize();
    if (!g_textBox.open || !g_textBox.edit) {
        g_textBox.open = false;
        return;
    }
    const std::wstring text = EditText(g_textBox.edit);
    if (!text.empty() && g_canvas.memDC) DrawTextIntoPicture(text);
    CloseTextBox();
}

void CancelTextBox() {
    ClearMoveAndResize();
    CloseTextBox();
}

void TextBoxColorsChanged() {
    if (g_textBox.opaqueBrush) DeleteObject(g_textBox.opaqueBrush);
    g_textBox.opaqueBrush = nullptr;
    if (g_textBox.open && g_textBox.edit) InvalidateRect(g_textBox.edit, nullptr, TRUE);
}

bool TextEditColors(HDC dc, HWND control, HBRUSH* brush) {
    if (!g_textBox.open || !control || control != g_textBox.edit) return false;
    SetTextColor(dc, g_colors.foreground);
    if (g_tools.textTransparent) {
        SetBkMode(dc, TRANSPARENT);
        *brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        return true;
    }
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, g_colors.background);
    if (!g_textBox.opaqueBrush) g_textBox.opaqueBrush = CreateSolidBrush(g_colors.background);
    *brush = g_textBox.opaqueBrush;
    return true;
}

// The box's frame: moves and resizes by the border band and the eight handles, left button only.

LPCSTR TextBoxCursorAt(POINT content) {
    if (!g_textBox.open) return nullptr;
    if (const int h = HitTextBoxHandle(g_textBox.rect, g_view.zoom, content.x, content.y)) return HandleCursor(h);
    if (g_textBox.moving || HitTextBoxBorder(g_textBox.rect, g_view.zoom, content.x, content.y)) return IDC_SIZEALL;
    return nullptr;
}

static bool PressTextBox(const PendingPress& p) {
    if (!g_textBox.open || p.button != MouseButton::Left) return false;
    const int h = HitTextBoxHandle(g_textBox.rect, g_view.zoom, p.content.x, p.content.y);
    if (!h && !HitTextBoxBorder(g_textBox.rect, g_view.zoom, p.content.x, p.content.y)) return false;
    g_textBox.resizing = h != 0;
    g_textBox.moving = h == 0;
    g_textBox.handle = h;
    g_textBox.pressPoint = p.point;
    g_textBox.atPress = g_textBox.rect;
    SetCursor(LoadCursorA(nullptr, h ? HandleCursor(h) : IDC_SIZEALL));
    return true;
}

static void ShowPair(const char* format, int a, int b) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    SetStatusText(kStatusDrag, text);
}

static void DragTextBox(const PendingPress& p) {
    TextBox& box = g_textBox;
    if (!box.open || (!box.moving && !box.resizing)) return;
    const int dx = p.point.x - box.pressPoint.x, dy = p.point.y - box.pressPoint.y;
    if (box.moving) {
        box.rect = MoveTextBox(box.atPress, dx, dy, g_canvas.width, g_canvas.height);
        ShowPair("%d, %d", box.rect.left, box.rect.top);
    } else {
        box.rect =
            ResizeTextBox(box.atPress, box.handle, dx, dy, g_textStyle.pointSize, g_canvas.width, g_canvas.height);
        ShowPair("%d x %d", box.rect.right - box.rect.left, box.rect.bottom - box.rect.top);
    }
    PlaceTextEdit();
    RepaintCanvas();
}

// A release and a lost capture end the move or resize alike, and the typing goes on in the edit.
static void EndTextBoxDrag() {
    ClearMoveAndResize();
    SetStatusText(kStatusDrag, L"");
    if (g_textBox.open && g_textBox.edit) SetFocus(g_textBox.edit);
}

static LPCSTR TextBoxCursor(const PendingPress& p, bool dragging) {
    if (!g_textBox.open) return nullptr;
    if (!dragging) return TextBoxCursorAt(p.content);
    if (g_textBox.resizing) return HandleCursor(g_textBox.handle);
    return g_textBox.moving ? IDC_SIZEALL : nullptr;
}

static void PaintTextBox(HDC buffer) {
    if (!g_textBox.open) return;
    RECT visible;
    GetClipBox(buffer, &visible);
    const ContentRect a = TextBoxAntsRect(g_textBox.rect, g_view.zoom);
    DrawMarchingAnts(buffer, a.left, a.top, a.right, a.bottom, CanvasAntsPhase(), &visible);
    ScopedSelectObject brush(buffer, GetStockObject(WHITE_BRUSH));
    ScopedSelectObject pen(buffer, GetStockObject(BLACK_PEN));
    for (int n = 1; n <= 8; ++n) {
        const ContentRect h = TextBoxHandleRect(g_textBox.rect, g_view.zoom, n);
        Rectangle(buffer, h.left, h.top, h.right, h.bottom);
    }
}

static void SettleTextBox(Settle) { CommitTextBox(); }

// Undo and Redo keep the box open; a transparent edit shows the restored picture under its text.
static void KeepTextBox() {
    if (g_textBox.open && g_textBox.edit) InvalidateRect(g_textBox.edit, nullptr, TRUE);
}

const PendingEdit kTextBoxEdit{.beforeGrips = true,
                               .press = PressTextBox,
                               .move = DragTextBox,
                               .release = [](const PendingPress&) { EndTextBoxDrag(); },
                               .cancel = EndTextBoxDrag,
                               .cursor = TextBoxCursor,
                               .paint = PaintTextBox,
                               .settle = SettleTextBox,
                               .drop = KeepTextBox};

// The Text tool's drag: a left drag outlines the rectangle the box opens on at the release.

static bool g_textRectDragging = false; // UI thread only

static PressOutcome TextPress(const ToolPointer& p) {
    g_textRectDragging = p.button == MouseButton::Left;
    return PressOutcome::NoRepaint;
}

static void TextRelease(const ToolPointer& p) {
    if (!g_textRectDragging) return;
    g_textRectDragging = false;
    SetStatusText(kStatusDrag, L"");
    BeginTextBox(p.anchor, p.point);
}

static void TextCancel(const ToolPointer&) { g_textRectDragging = false; }

static void PreviewTextRect(HDC buffer, const ToolOverlay& o) {
    if (!o.dragging || !g_textRectDragging) return;
    const TextRect r{std::min(o.anchor.x, o.pointer.x), std::min(o.anchor.y, o.pointer.y),
                     std::max(o.anchor.x, o.pointer.x), std::max(o.anchor.y, o.pointer.y)};
    const ContentRect a = TextBoxAntsRect(r, g_view.zoom);
    RECT visible;
    GetClipBox(buffer, &visible);
    DrawMarchingAnts(buffer, a.left + 1, a.top + 1, a.right - 1, a.bottom - 1, CanvasAntsPhase(), &visible);
}

const ToolRow kTextRow{
    .press = TextPress, .release = TextRelease, .cancel = TextCancel, .paintOverlay = PreviewTextRect};
