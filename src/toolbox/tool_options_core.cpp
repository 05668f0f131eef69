#include "toolbox/tool_options_core.h"

#include <algorithm>

int EffectiveBrushRadius(const ToolOptions& o) {
    return o.brushCustomRadius > 0 ? o.brushCustomRadius : kBrushRadii[std::clamp(o.brushSizeIndex, 0, 7)];
}

ThicknessTarget ThicknessTargetOf(ToolId tool) {
    if (tool == ToolId::Pencil) return ThicknessTarget::Pencil;
    if (tool == ToolId::Brush) return ThicknessTarget::Brush;
    return ThicknessTarget::LineShape;
}

int64_t ParseLeadingDigits(std::wstring_view text, int64_t cap) {
    int64_t v = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        if (v <= cap) v = v * 10 + (c - L'0');
    }
    return std::min(v, cap + 1);
}

static int ClampThickness(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, kMinThickness, kMaxThickness)); }

// A brush of thickness n has radius n / 2, never below 1.
static int BrushRadiusFor(int64_t v, int n) { return v <= 1 ? 1 : std::max(1, n / 2); }

ThicknessChange ApplyThicknessEntry(ToolOptions* o, ThicknessTarget target, bool allTools, int64_t v) {
    const int n = ClampThickness(v);
    ThicknessChange c{n, 0};
    if (allTools || target == ThicknessTarget::LineShape) o->lineWidth = n;
    if (allTools || target == ThicknessTarget::Pencil) o->pencilWidth = n;
    if (allTools || target == ThicknessTarget::Brush) c.radius = o->brushCustomRadius = BrushRadiusFor(v, n);
    return c;
}

ThicknessChange StepThickness(ToolOptions* o, int delta) {
    switch (ThicknessTargetOf(o->currentTool)) {
    case ThicknessTarget::Brush: {
        // The thickness shown is the diameter: every step reaches another radius, "]" a larger one and "[" a
        // smaller one, down to 1.
        const int r = EffectiveBrushRadius(*o);
        if (2 * r + delta <= 1) {
            o->brushCustomRadius = 1;
            return {1, 1};
        }
        int next = (2 * r + delta) / 2;
        if (delta > 0) next = std::max(next, r + 1);
        if (delta < 0) next = std::min(next, r - 1);
        o->brushCustomRadius = std::clamp(next, 1, kMaxThickness / 2);
        return {2 * o->brushCustomRadius, o->brushCustomRadius};
    }
    case ThicknessTarget::Pencil:
        o->pencilWidth = std::clamp(o->pencilWidth + delta, kMinThickness, kMaxThickness);
        return {o->pencilWidth, 0};
    default: o->lineWidth = std::clamp(o->lineWidth + delta, kMinThickness, kMaxThickness); return {o->lineWidth, 0};
    }
}
