#include "toolbox/tool_box_paint.h"

#include <cmath>
#include <cstdio>

#include "document/view_state.h"
#include "base/scoped_handles.h"
#include "toolbox/tool_box_core.h"
#include "toolbox/tool_box_icons_core.h"
#include "toolbox/tool_state.h"
#include "tools/shape_tools.h"

namespace {

// Lives for the program's life; a 1-pixel checkerboard behind the pressed button.
HBRUSH g_checkerBrush = nullptr;

HBRUSH CheckerBrush() {
    if (g_checkerBrush) return g_checkerBrush;
    WORD bits[8];
    for (int row = 0; row < 8; ++row)
        bits[row] = (row % 2) ? 0xAA : 0x55;
    ScopedGdiObj<HBITMAP> bitmap(CreateBitmap(8, 8, 1, 1, bits));
    if (bitmap.get()) g_checkerBrush = CreatePatternBrush(bitmap.get()); // the brush keeps its own copy
    return g_checkerBrush;
}

RECT Rc(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
RECT Rc(const BoxRect& b) { return RECT{b.left, b.top, b.right, b.bottom}; }

void Mark(HDC hdc, int l, int t, int r, int b) {
    RECT rc = Rc(l, t, r, b);
    DrawFocusRect(hdc, &rc);
}

void FillBlack(HDC hdc, int l, int t, int r, int b) {
    RECT rc = Rc(l, t, r, b);
    FillRect(hdc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void Frame(HDC hdc, int l, int t, int r, int b, UINT edge) {
    RECT rc = Rc(l, t, r, b);
    DrawEdge(hdc, &rc, edge, BF_RECT);
}

void Caption(HDC hdc, int x, int y, const wchar_t* text) { TextOutW(hdc, x, y, text, static_cast<int>(wcslen(text))); }

void CenteredCaption(HDC hdc, RECT rc, const wchar_t* text) {
    DrawTextW(hdc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawIcon16(HDC hdc, int left, int top, const char* const rows[kIconSize]) {
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x)
            if (rows[y][x] != '.') SetPixelV(hdc, left + x, top + y, IconLetterColor(rows[y][x]));
}

void PaintButtons(HDC hdc) {
    for (int k = 0; k < kToolCount; ++k) {
        RECT rc = Rc(ToolButtonRect(k));
        const bool pressed = k == static_cast<int>(g_tools.currentTool);
        DrawEdge(hdc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        if (pressed) {
            RECT inner = rc;
            InflateRect(&inner, -2, -2);
            const COLORREF oldText = SetTextColor(hdc, RGB(255, 255, 255));
            const COLORREF oldBk = SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
            if (HBRUSH checker = CheckerBrush()) FillRect(hdc, &inner, checker);
            SetTextColor(hdc, oldText);
            SetBkColor(hdc, oldBk);
        }
        const int offset = pressed ? 5 : 4;
        DrawIcon16(hdc, rc.left + offset, rc.top + offset, kToolIcons[k]);
    }
}

// Five lines 1..5 px thick; a width of 6 or more shows in the overflow box instead.
void WidthLines(HDC hdc, int y0, int width, const RECT& overflow) {
    for (int j = 1; j <= 5; ++j) {
        const int y = y0 + 13 * (j - 1);
        FillBlack(hdc, 10, y - j / 2, 46, y - j / 2 + j);
        if (width == j) Mark(hdc, 5, y - 6, 51, y + 7);
    }
    if (width < 6) return;
    wchar_t text[16];
    swprintf(text, 16, L"%dpx", width);
    CenteredCaption(hdc, overflow, text);
    DrawFocusRect(hdc, &overflow);
}

// An opaque choice (white box) above a transparent one (hollow box), the chosen one marked.
void OpaqueTransparent(HDC hdc, RECT opaque, RECT transparent, int captionDy, bool isTransparent) {
    {
        ScopedSelectObject brush(hdc, GetStockObject(WHITE_BRUSH));
        Rectangle(hdc, opaque.left + 2, opaque.top + 2, opaque.right - 2, opaque.bottom - 2);
    }
    {
        ScopedSelectObject brush(hdc, GetStockObject(NULL_BRUSH));
        Rectangle(hdc, transparent.left + 2, transparent.top + 2, transparent.right - 2, transparent.bottom - 2);
    }
    Caption(hdc, 10, opaque.top + captionDy, L"Opaq");
    Caption(hdc, 10, transparent.top + captionDy, L"Tran");
    const RECT& m = isTransparent ? transparent : opaque;
    DrawFocusRect(hdc, &m);
}

// The raised Mosaic button and the 2 x 2 size cells below it, from the button's top.
void MosaicCells(HDC hdc, HFONT small, int top) {
    Frame(hdc, 6, top, 50, top + 20, EDGE_RAISED);
    {
        ScopedSelectObject font(hdc, small);
        CenteredCaption(hdc, Rc(6, top, 50, top + 20), L"Mosaic");
    }
    for (int i = 0; i < 4; ++i) {
        const int l = i % 2 ? 29 : 7, t = top + 24 + 19 * (i / 2);
        RECT cell = Rc(l, t, l + 20, t + 17);
        wchar_t text[8];
        swprintf(text, 8, L"%d", kMosaicBlockSizes[i]);
        CenteredCaption(hdc, cell, text);
        if (g_tools.mosaicBlockSize == kMosaicBlockSizes[i]) DrawFocusRect(hdc, &cell);
    }
}

// Four texts in rows of pitch px, the one whose value matches marked.
void TextList(HDC hdc, int x, int top, int pitch, const wchar_t* const texts[4], int chosen) {
    for (int i = 0; i < 4; ++i) {
        const int y = top + pitch * i;
        Caption(hdc, x, y, texts[i]);
        if (i == chosen) Mark(hdc, 6, y, 50, y + pitch);
    }
}

int IndexOf(const int (&table)[4], int v) {
    for (int i = 0; i < 4; ++i)
        if (table[i] == v) return i;
    return -1;
}

void LinePanel(HDC hdc) {
    Frame(hdc, 3, kBandBTop, 53, kBandBBottom + 1, EDGE_SUNKEN);
    FillBlack(hdc, 10, 317, 46, 319);
    // The same routine as the tool, so the sample shows the head the tool will draw.
    DrawLineOrArrow(hdc, 10, 348, 46, 348, 2, RGB(0, 0, 0), true);
    if (g_tools.arrowHead)
        Mark(hdc, 5, 336, 51, 364);
    else
        Mark(hdc, 5, 306, 51, 334);
}

void ShapePanel(HDC hdc) {
    Frame(hdc, 3, kBandBTop, 53, kBandBBottom + 1, EDGE_SUNKEN);
    const int tops[3] = {307, 328, 349};
    ScopedGdiObj<HBRUSH> grey(CreateSolidBrush(RGB(128, 128, 128)));
    for (int i = 0; i < 3; ++i) {
        RECT swatch = Rc(10, tops[i], 46, tops[i] + 15);
        if (i == 2)
            FillRect(hdc, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        else
            FrameRect(hdc, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (i == 1) {
            InflateRect(&swatch, -1, -1);
            FillRect(hdc, &swatch, grey.get());
        }
        if (g_tools.fillStyle == i) Mark(hdc, 5, tops[i] - 3, 51, tops[i] + 18);
    }
}

void BrushPanel(HDC hdc) {
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
    ScopedSelectObject selPen(hdc, pen.get());
    ScopedSelectObject selBrush(hdc, GetStockObject(BLACK_BRUSH));
    for (int i = 0; i < 12; ++i) {
        const int col = i % 3, row = i / 3, cx = 13 + 15 * col, cy = 243 + 16 * row;
        if (row == 0) {
            const int d = 9 - 2 * col;
            ScopedSelectObject nullPen(hdc, GetStockObject(NULL_PEN));
            Ellipse(hdc, cx - d / 2, cy - d / 2, cx - d / 2 + d + 1, cy - d / 2 + d + 1);
        } else if (row == 1) {
            const int s = 8 - 2 * col;
            FillBlack(hdc, cx - s / 2, cy - s / 2, cx - s / 2 + s, cy - s / 2 + s);
        } else {
            const int h = (10 - 2 * col) / 2, sign = row == 2 ? 1 : -1;
            MoveToEx(hdc, cx - h, cy + sign * h, nullptr);
            LineTo(hdc, cx + h, cy - sign * h);
        }
        if (g_tools.inkPen < 0 && g_tools.brushShape == i)
            Mark(hdc, 6 + 15 * col, 236 + 16 * row, 20 + 15 * col, 251 + 16 * row);
    }
    Frame(hdc, 3, kBandBTop, 53, kBrushBandBottom + 1, EDGE_SUNKEN);
    Caption(hdc, 16, 305, L"Ink");
    if (g_tools.inkPen >= 0) Mark(hdc, 5, 304, 51, 318);
    for (int i = 0; i < 8; ++i) {
        const int y = 328 + 16 * i, h = i + 1;
        FillBlack(hdc, 16, y - h / 2, 40, y - h / 2 + h);
        if (g_tools.brushCustomRadius == 0 && g_tools.brushSizeIndex == i) Mark(hdc, 5, y - 8, 51, y + 8);
    }
    if (g_tools.brushCustomRadius > 0) {
        wchar_t text[16];
        swprintf(text, 16, L"%dpx", 2 * g_tools.brushCustomRadius);
        RECT box = Rc(5, 436, 51, 452);
        CenteredCaption(hdc, box, text);
        DrawFocusRect(hdc, &box);
    }
}

void AirbrushPanel(HDC hdc) {
    // Unit offsets of the sample dots, scaled to each sample's radius.
    static const float kDots[9][2] = {{0, 0},  {-0.7f, -0.5f}, {0.6f, -0.7f}, {-0.5f, 0.7f}, {0.8f, 0.4f},
                                      {0, -1}, {-1, 0.1f},     {0.2f, 1},     {1, -0.2f}};
    const int radii[3] = {4, 7, 10};
    for (int i = 0; i < 3; ++i) {
        const int cy = 246 + 22 * i;
        for (int d = 0; d < (i == 0 ? 5 : 9); ++d)
            SetPixelV(hdc, 28 + static_cast<int>(std::lround(kDots[d][0] * radii[i])),
                      cy + static_cast<int>(std::lround(kDots[d][1] * radii[i])), RGB(0, 0, 0));
        if (g_tools.airbrushSize == i) Mark(hdc, 6, 236 + 22 * i, 50, 257 + 22 * i);
    }
}

void PathPanel(HDC hdc, HFONT small) {
    static const wchar_t* const kModes[4] = {L"Select", L"Stroke", L"Mosaic", L"Clear"};
    {
        ScopedSelectObject font(hdc, small);
        for (int i = 0; i < 4; ++i) {
            RECT rc = Rc(6, 234 + 16 * i, 50, 249 + 16 * i);
            const bool chosen = g_tools.pathMode == i;
            FillRect(hdc, &rc, GetSysColorBrush(chosen ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
            DrawEdge(hdc, &rc, chosen ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
            const COLORREF old = SetTextColor(hdc, GetSysColor(chosen ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
            CenteredCaption(hdc, rc, kModes[i]);
            SetTextColor(hdc, old);
            if (chosen) DrawFocusRect(hdc, &rc);
        }
    }
    Frame(hdc, 3, kBandBTop, 53, kBandBBottom + 1, EDGE_SUNKEN);
    if (g_tools.pathMode == 2) {
        static const wchar_t* const kSizes[4] = {L"4px", L"8px", L"12px", L"16px"};
        TextList(hdc, 12, 306, 15, kSizes, IndexOf(kMosaicBlockSizes, g_tools.mosaicBlockSize));
    } else {
        WidthLines(hdc, 310, g_tools.lineWidth, Rc(5, 353, 51, 367));
    }
}

void FuzzyPanel(HDC hdc, HFONT small) {
    static const wchar_t* const kTolerances[4] = {L"0", L"15", L"32", L"64"};
    TextList(hdc, 18, 236, 16, kTolerances, IndexOf(kFuzzyTolerances, g_tools.fuzzyTolerance));
    Frame(hdc, 3, kBandBTop, 53, kBandBBottom + 1, EDGE_SUNKEN);
    OpaqueTransparent(hdc, Rc(6, 305, 50, 333), Rc(6, 335, 50, 363), 5, g_tools.selectionTransparent);
    Frame(hdc, 3, kBandCTop, 53, kBandCBottom + 1, EDGE_SUNKEN);
    MosaicCells(hdc, small, 375);
}

void MagnifierPanel(HDC hdc) {
    static const wchar_t* const kZooms[4] = {L"1x", L"2x", L"6x", L"8x"};
    int chosen = -1;
    for (int i = 0; i < 4; ++i)
        if (std::fabs(kMagnifierZooms[i] - g_view.zoom) < 1e-6) chosen = i;
    TextList(hdc, 18, 236, 16, kZooms, chosen);
}

void EraserPanel(HDC hdc) {
    for (int i = 0; i < 4; ++i) {
        const int s = kEraserSizes[i], c = 244 + 16 * i;
        FillBlack(hdc, 28 - s / 2, c - s / 2, 28 - s / 2 + s, c - s / 2 + s);
        if (g_tools.eraserSize == i) Mark(hdc, 6, c - 8, 50, c + 8);
    }
}

// Band A of every tool, then the further bands where the tool has them.
void PaintOptionPanel(HDC hdc, HFONT small) {
    const ToolId t = g_tools.currentTool;
    const bool shortBand = t == ToolId::Eraser || t == ToolId::Magnifier || t == ToolId::Brush ||
                           t == ToolId::Airbrush || t == ToolId::Text || t == ToolId::Fill || t == ToolId::PickColor;
    Frame(hdc, 3, kBandATop, 53, shortBand ? 302 : kBandABottom + 1, EDGE_SUNKEN);
    const RECT overflowA = Rc(5, 283, 51, 297);
    switch (t) {
    case ToolId::FreeFormSelect:
    case ToolId::Select:
        OpaqueTransparent(hdc, Rc(6, 236, 50, 264), Rc(6, 266, 50, 294), 5, g_tools.selectionTransparent);
        Frame(hdc, 3, kBandBTop, 53, kBandBBottom + 1, EDGE_SUNKEN);
        MosaicCells(hdc, small, 305);
        break;
    case ToolId::Eraser: EraserPanel(hdc); break;
    case ToolId::Magnifier: MagnifierPanel(hdc); break;
    case ToolId::Pencil: WidthLines(hdc, 240, g_tools.pencilWidth, overflowA); break;
    case ToolId::Brush: BrushPanel(hdc); break;
    case ToolId::Airbrush: AirbrushPanel(hdc); break;
    case ToolId::Text:
        OpaqueTransparent(hdc, Rc(6, 236, 50, 266), Rc(6, 268, 50, 298), 5, g_tools.textTransparent);
        break;
    case ToolId::Line:
        WidthLines(hdc, 240, g_tools.lineWidth, overflowA);
        LinePanel(hdc);
        break;
    case ToolId::Curve: WidthLines(hdc, 240, g_tools.lineWidth, overflowA); break;
    case ToolId::Rectangle:
    case ToolId::Polygon:
    case ToolId::Ellipse:
    case ToolId::RoundedRectangle:
        WidthLines(hdc, 240, g_tools.lineWidth, overflowA);
        ShapePanel(hdc);
        break;
    case ToolId::Path: PathPanel(hdc, small); break;
    case ToolId::FuzzySelect: FuzzyPanel(hdc, small); break;
    default: break; // Fill and PickColor: the empty frame
    }
}

} // namespace

void PaintToolBoxContent(HDC hdc, const RECT& client) {
    FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
    PaintButtons(hdc);
    ScopedGdiObj<HFONT> small(CreateFontW(-10, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                          L"Tahoma"));
    ScopedSelectObject font(hdc, GetStockObject(DEFAULT_GUI_FONT));
    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldText = SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
    PaintOptionPanel(hdc, small.get() ? small.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    SetTextColor(hdc, oldText);
    SetBkMode(hdc, oldMode);
}
