#include "toolbox/tool_keys_core.h"

#include <cstdio>

#include "toolbox/tool_traits_core.h"

static std::wstring Format(const wchar_t* format, int a, int b = 0, int c = 0) {
    wchar_t buf[160];
    std::swprintf(buf, 160, format, a, b, c);
    return buf;
}

static int ToolOfLetter(wchar_t c, ToolId current) {
    switch (c) {
    case L'A': return static_cast<int>(ToolId::Airbrush);
    case L'B': return static_cast<int>(ToolId::Brush);
    case L'C':
    case L'V': return static_cast<int>(ToolId::Curve);
    case L'E': return static_cast<int>(ToolId::Eraser);
    case L'F': return static_cast<int>(ToolId::FreeFormSelect);
    case L'G': return static_cast<int>(ToolId::Fill);
    case L'I':
    case L'K': return static_cast<int>(ToolId::PickColor);
    case L'L': return static_cast<int>(ToolId::Line);
    case L'M':
    case L'Z': return static_cast<int>(ToolId::Magnifier);
    case L'O': return static_cast<int>(ToolId::Ellipse);
    case L'P': return static_cast<int>(current == ToolId::Pencil ? ToolId::Path : ToolId::Pencil);
    case L'R': return static_cast<int>(ToolId::Rectangle);
    case L'S': return static_cast<int>(ToolId::Select);
    case L'T': return static_cast<int>(ToolId::Text);
    case L'U': return static_cast<int>(ToolId::RoundedRectangle);
    case L'W': return static_cast<int>(ToolId::FuzzySelect);
    case L'Y': return static_cast<int>(ToolId::Polygon);
    default: return -1;
    }
}

static bool IsLineOrShape(ToolId t) { return TraitsOf(t).lineWidthKeys; }

ToolKeyResult ToolKeyAction(ToolOptions* o, wchar_t c) {
    ToolKeyResult r;
    if (c >= L'1' && c <= L'8') {
        const int n = c - L'0';
        if (o->currentTool == ToolId::FuzzySelect && n <= 4) {
            o->fuzzyTolerance = kFuzzyTolerances[n - 1];
            r.status = Format(L"Fuzzy Select Tolerance: %d. [key %c / Ctrl+%c]", o->fuzzyTolerance, c, c);
            r.handled = r.repaintToolBox = true;
        } else if (o->currentTool == ToolId::Brush) {
            o->brushSizeIndex = n - 1;
            o->brushCustomRadius = 0;
            r.handled = r.repaintToolBox = true;
        } else if (n <= 5 && (o->currentTool == ToolId::Pencil || IsLineOrShape(o->currentTool))) {
            (o->currentTool == ToolId::Pencil ? o->pencilWidth : o->lineWidth) = n;
            r.handled = r.repaintToolBox = r.repaintCanvas = true;
        }
        return r;
    }
    r.tool = ToolOfLetter(c, o->currentTool);
    r.handled = r.tool >= 0;
    return r;
}

static bool IsShape(ToolId t) { return TraitsOf(t).isShape; }

ToolKeyResult ToolCtrlDigitAction(ToolOptions* o, int d, int pathAnchors) {
    static const wchar_t* const kFillTexts[] = {L"Transparent interior: draws outline only. [Ctrl+1]",
                                                L"Filled with background color: draws outline and fill. [Ctrl+2]",
                                                L"Solid foreground: draws filled shape without outline. [Ctrl+3]"};
    static const wchar_t* const kAirbrushNames[] = {L"Small", L"Medium", L"Large"};
    ToolKeyResult r;
    const ToolId t = o->currentTool;
    auto done = [&](bool canvas, std::wstring status) {
        r.handled = r.repaintToolBox = true;
        r.repaintCanvas = canvas;
        r.status = std::move(status);
        return r;
    };
    if (IsShape(t) && d >= 1 && d <= 3) {
        o->fillStyle = d - 1;
        return done(true, kFillTexts[d - 1]);
    }
    if (TraitsOf(t).isSelection && d >= 1 && d <= 3) {
        if (d == 3) {
            r.handled = true;
            r.action = PanelAction::ApplyMosaic;
            return r;
        }
        o->selectionTransparent = d == 2;
        return done(true, d == 2 ? L"Transparent selection: makes background color transparent. [Ctrl+2]"
                                 : L"Opaque selection: includes background color. [Ctrl+1]");
    }
    if (t == ToolId::Text && (d == 1 || d == 2)) {
        o->textTransparent = d == 2;
        r.textBackgroundChanged = true;
        return done(true, d == 2 ? L"Transparent text background. [Ctrl+2]"
                                 : L"Opaque text background (filled with Color 2). [Ctrl+1]");
    }
    if (t == ToolId::Line && (d == 1 || d == 2)) {
        o->arrowHead = d == 2;
        return done(true, d == 2 ? L"Arrow: draws a line with an arrowhead at the end point. [Ctrl+2]"
                                 : L"Line: draws a plain straight line. [Ctrl+1]");
    }
    if (t == ToolId::Eraser && d >= 1 && d <= 4) {
        o->eraserSize = d - 1;
        const int size = kEraserSizes[d - 1];
        return done(false, Format(L"Eraser size %dx%d. [Ctrl+%d]", size, size, d));
    }
    if (t == ToolId::Airbrush && d >= 1 && d <= 3) {
        o->airbrushSize = d - 1;
        wchar_t buf[64];
        std::swprintf(buf, 64, L"Airbrush size: %ls. [Ctrl+%d]", kAirbrushNames[d - 1], d);
        return done(false, buf);
    }
    if (t == ToolId::Magnifier && d >= 1 && d <= 4) {
        r.action = PanelAction::ZoomTo;
        r.zoom = kMagnifierZooms[d - 1];
        return done(false, L"");
    }
    if (t == ToolId::Brush && d >= 1 && d <= 8) {
        o->brushSizeIndex = d - 1;
        o->brushCustomRadius = 0;
        return done(false, L"");
    }
    if (t == ToolId::FuzzySelect && d >= 1 && d <= 4) {
        o->fuzzyTolerance = kFuzzyTolerances[d - 1];
        return done(false, Format(L"Fuzzy Select Tolerance: %d. [Ctrl+%d]", o->fuzzyTolerance, d));
    }
    if (t == ToolId::Path && d >= 1 && d <= 4) {
        static const wchar_t* const kModeTexts[] = {
            L"Path Mode: Select. [Enter to convert to free-form selection]",
            L"Path Mode: Stroke. [Enter to draw stroke line with current width]",
            L"Path Mode: Mosaic. [Enter to apply mosaic to path]", nullptr};
        static constexpr PanelAction kModeActions[] = {PanelAction::PathToSelection, PanelAction::StrokePath,
                                                       PanelAction::PathMosaic, PanelAction::ClearPath};
        o->pathMode = d - 1;
        const bool usable = pathAnchors >= 2;
        if (d == 4 || usable) r.action = kModeActions[d - 1];
        return done(false, d == 4 || usable ? L"" : kModeTexts[d - 1]);
    }
    return r;
}
