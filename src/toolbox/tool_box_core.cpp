#include "toolbox/tool_box_core.h"

#include <algorithm>
#include <cwchar>

#include "toolbox/tool_traits_core.h"

namespace {

bool In(int v, int lo, int hi) { return v >= lo && v <= hi; }
bool InBandA(int y) { return In(y, kBandATop, kBandABottom); }
bool InBandB(int y) { return In(y, kBandBTop, kBandBBottom); }
bool InBandC(int y) { return In(y, kBandCTop, kBandCBottom); }

// Every row index is clamped to its table, so a press on a band's last pixels cannot run past it.
int Row(int y, int top, int pitch, int last) { return std::clamp((y - top) / pitch, 0, last); }

bool IsShape(ToolId t) { return TraitsOf(t).isShape; }
bool IsLineLike(ToolId t) { return TraitsOf(t).lineWidthPanel; }
bool IsSelection(ToolId t) { return TraitsOf(t).isSelection; }

std::wstring Format(const wchar_t* format, int a, int b = 0, int c = 0, int d = 0) {
    wchar_t text[160];
    swprintf(text, 160, format, a, b, c, d);
    return text;
}

// The mosaic size cells: two per row, rows of 19 px from firstRow.
int MosaicCell(int x, int y, int firstRow) {
    return std::min(2 * std::max((y - firstRow) / 19, 0) + (x > 27 ? 1 : 0), 3);
}

const wchar_t* const kFillStyleTexts[3] = {
    L"Transparent interior: draws outline only. [Ctrl+1]",
    L"Filled with background color: draws outline and fill. [Ctrl+2]",
    L"Solid foreground: draws filled shape without outline. [Ctrl+3]",
};
int FillStyleAt(int y) { return y == kBandBBottom ? 2 : Row(y, kBandBTop, 22, 2); }

const wchar_t kOpaqueHover[] = L"Opaque: selection includes background. [Ctrl+1]";
const wchar_t kTransparentHover[] = L"Transparent: selection makes background transparent. [Ctrl+2]";

// The mosaic button and size cells shared by the selection tools (band B) and fuzzy select (band C).
void MosaicBandClick(ToolOptions* o, int x, int y, int bandTop, PanelClickResult* r) {
    const int gap = bandTop + 25;
    if (y < gap) {
        r->action = PanelAction::ApplyMosaic;
    } else if (y > gap) {
        o->mosaicBlockSize = kMosaicBlockSizes[MosaicCell(x, y, gap + 1)];
        r->status = Format(L"Mosaic block size: %d px. [Click Mosaic or Ctrl+M to apply]", o->mosaicBlockSize);
    }
}

void PathModeClick(ToolOptions* o, int y, int pathAnchors, PanelClickResult* r) {
    o->pathMode = y <= 249 ? 0 : y <= 265 ? 1 : y <= 281 ? 2 : 3;
    const bool usable = pathAnchors >= 2;
    switch (o->pathMode) {
    case 0:
        if (usable)
            r->action = PanelAction::PathToSelection;
        else
            r->status = L"Path Mode: Select. [Enter to convert to free-form selection]";
        break;
    case 1:
        if (usable)
            r->action = PanelAction::StrokePath;
        else
            r->status = L"Path Mode: Stroke. [Enter to draw line with current line width]";
        break;
    case 2:
        if (usable)
            r->action = PanelAction::PathMosaic;
        else
            r->status = L"Path Mode: Mosaic. [Enter to apply mosaic to path]";
        break;
    default: r->action = PanelAction::ClearPath; break;
    }
}

void SelectionClick(ToolOptions* o, int x, int y, PanelClickResult* r) {
    if (InBandA(y)) {
        o->selectionTransparent = y > 266;
        r->repaintCanvas = true;
    } else if (InBandB(y)) {
        MosaicBandClick(o, x, y, kBandBTop, r);
    } else {
        r->hit = false;
    }
}

void BrushClick(ToolOptions* o, int x, int y, PanelClickResult* r) {
    if (InBandA(y)) {
        const int column = std::min((x - 3) / 16, 2);
        o->inkPen = -1;
        o->brushShape = 3 * Row(y, kBandATop, 17, 3) + column;
        o->brushSizeIndex = x <= 18 ? 1 : column == 1 ? 3 : 4;
    } else if (In(y, kBandBTop, kBrushBandBottom)) {
        if (y < 320) {
            o->inkPen = 0;
        } else if ((y - 320) / 16 < 8) {
            o->brushCustomRadius = 0;
            o->brushSizeIndex = (y - 320) / 16;
        }
    } else {
        r->hit = false;
    }
}

void FuzzyClick(ToolOptions* o, int x, int y, PanelClickResult* r) {
    if (InBandA(y)) {
        const int i = Row(y, kBandATop, 17, 3);
        o->fuzzyTolerance = kFuzzyTolerances[i];
        r->status = Format(L"Fuzzy Select Tolerance: %d. [key %d / Ctrl+%d]", o->fuzzyTolerance, i + 1, i + 1);
    } else if (InBandB(y)) {
        o->selectionTransparent = y > 334;
        r->repaintCanvas = true;
        r->status = o->selectionTransparent ? L"Transparent selection: makes background color transparent."
                                            : L"Opaque selection: includes background color.";
    } else if (InBandC(y)) {
        MosaicBandClick(o, x, y, kBandCTop, r);
    } else {
        r->hit = false;
    }
}

void PathClick(ToolOptions* o, int y, int pathAnchors, PanelClickResult* r) {
    if (InBandA(y)) {
        PathModeClick(o, y, pathAnchors, r);
    } else if (InBandB(y)) {
        if (o->pathMode == 2) {
            o->mosaicBlockSize = kMosaicBlockSizes[Row(y, kBandBTop, 16, 3)];
            r->status = Format(L"Mosaic block size: %d px.", o->mosaicBlockSize);
        } else {
            o->lineWidth = WidthListValue(y, kBandBTop);
        }
        r->repaintCanvas = true;
    } else {
        r->hit = false;
    }
}

// Tools whose panel is band A only.
void BandAClick(ToolOptions* o, int y, PanelClickResult* r) {
    switch (o->currentTool) {
    case ToolId::Eraser: o->eraserSize = Row(y, kBandATop, 17, 3); break;
    case ToolId::Magnifier:
        r->action = PanelAction::ZoomTo;
        r->zoom = kMagnifierZooms[Row(y, kBandATop, 17, 3)];
        break;
    case ToolId::Airbrush: o->airbrushSize = Row(y, kBandATop, 23, 2); break;
    case ToolId::Text:
        o->textTransparent = y > 266;
        r->textBackgroundChanged = true;
        break;
    case ToolId::Pencil: o->pencilWidth = WidthListValue(y, kBandATop); break;
    default:
        if (IsLineLike(o->currentTool)) o->lineWidth = WidthListValue(y, kBandATop);
        break; // Fill and PickColor: an empty frame, repaint only
    }
}

} // namespace

BoxRect ToolButtonRect(int tool) {
    const int c = tool % 2, r = tool / 2;
    return {3 + 25 * c, 3 + 25 * r, 28 + 25 * c, 28 + 25 * r};
}

int ToolButtonAt(int x, int y) {
    if (!In(x, 3, 52) || !In(y, 3, 227)) return -1;
    return (x - 3) / 25 + 2 * ((y - 3) / 25);
}

int WidthListValue(int y, int bandTop) { return y - bandTop < 65 ? std::max((y - bandTop) / 13, 0) + 1 : 5; }

PanelClickResult PanelClick(ToolOptions* o, int x, int y, int pathAnchors) {
    PanelClickResult r;
    if (!In(x, kPanelLeft, kPanelRight)) return r;
    r.hit = true;
    const ToolId t = o->currentTool;
    if (IsSelection(t)) {
        SelectionClick(o, x, y, &r);
    } else if (t == ToolId::Brush) {
        BrushClick(o, x, y, &r);
    } else if (t == ToolId::FuzzySelect) {
        FuzzyClick(o, x, y, &r);
    } else if (t == ToolId::Path) {
        PathClick(o, y, pathAnchors, &r);
    } else if (InBandA(y)) {
        BandAClick(o, y, &r);
    } else if (t == ToolId::Line && InBandB(y)) {
        o->arrowHead = y > 334;
    } else if (IsShape(t) && InBandB(y)) {
        o->fillStyle = FillStyleAt(y);
    } else {
        r.hit = false;
    }
    return r;
}

namespace {

std::wstring SelectionHover(int x, int y) {
    if (InBandA(y)) return y <= 266 ? kOpaqueHover : kTransparentHover;
    if (!InBandB(y)) return {};
    if (y <= 326) return L"Mosaic: applies mosaic to selected area. [Ctrl+M / Ctrl+3]";
    return Format(L"Mosaic block size: %dpx.", kMosaicBlockSizes[MosaicCell(x, y, 328)]);
}

std::wstring PathHover(const ToolOptions& o, int y) {
    if (InBandA(y)) {
        if (y <= 249) return L"Select: converts path to free-form selection. [Enter / Ctrl+1]";
        if (y <= 265) return L"Stroke: draws a line along the path using current color & width. [Shift+Enter / Ctrl+2]";
        if (y <= 281) return L"Mosaic: applies mosaic pixelation to path area. [Ctrl+M / Ctrl+3]";
        return L"Clear: cancels and resets current path. [Esc / Ctrl+4]";
    }
    if (!InBandB(y)) return {};
    if (o.pathMode == 2) return Format(L"Mosaic block size: %dpx.", kMosaicBlockSizes[Row(y, kBandBTop, 16, 3)]);
    const int w = WidthListValue(y, kBandBTop);
    return Format(L"Changes the path stroke line width to %dpx. [%d]", w, w);
}

std::wstring FuzzyHover(int x, int y) {
    if (InBandA(y)) {
        const int i = Row(y, kBandATop, 17, 3);
        return Format(L"Tolerance %d: matching color threshold. [Ctrl+%d]", kFuzzyTolerances[i], i + 1);
    }
    if (InBandB(y)) return y <= 334 ? kOpaqueHover : kTransparentHover;
    if (!InBandC(y)) return {};
    if (y <= 396) return L"Mosaic: applies mosaic to fuzzy selection. [Ctrl+M]";
    return Format(L"Mosaic block size: %dpx.", kMosaicBlockSizes[MosaicCell(x, y, 398)]);
}

std::wstring BrushHover(int y) {
    if (In(y, kBandBTop, 319)) return L"Ink pen: pressure, shading, and smoothed curves.";
    if (!In(y, 320, kBrushBandBottom)) return {};
    const int i = Row(y, 320, 16, 7);
    return Format(L"Brush thickness %d / %d (%dpx). [key %d]", i + 1, 8, kBrushRadii[i], i + 1);
}

} // namespace

std::wstring PanelHoverText(const ToolOptions& o, int x, int y) {
    if (!In(x, kPanelLeft, kPanelRight)) return {};
    const ToolId t = o.currentTool;
    if (IsSelection(t)) return SelectionHover(x, y);
    if (t == ToolId::Text) return InBandA(y) ? (y <= 266 ? kOpaqueHover : kTransparentHover) : L"";
    if (t == ToolId::Brush) return BrushHover(y);
    if (t == ToolId::Path) return PathHover(o, y);
    if (t == ToolId::FuzzySelect) return FuzzyHover(x, y);
    if (!IsLineLike(t)) return {};
    if (InBandA(y)) {
        const int w = WidthListValue(y, kBandATop);
        return Format(L"Changes the line width to %dpx. [%d]", w, w);
    }
    if (!InBandB(y)) return {};
    if (t == ToolId::Line)
        return y <= 334 ? L"Line: draws a plain straight line. [Ctrl+1]"
                        : L"Arrow: draws a line with an arrowhead at the end point. [Ctrl+2]";
    if (IsShape(t)) return kFillStyleTexts[FillStyleAt(y)];
    return {};
}
