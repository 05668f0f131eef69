// Thickness rules shared by the bracket keys and the thickness dialog; no window involved.
#pragma once
#include <cstdint>
#include <string_view>

#include "toolbox/tool_state.h"

// Which of the three thicknesses a tool uses.
enum class ThicknessTarget { LineShape, Pencil, Brush };
ThicknessTarget ThicknessTargetOf(ToolId tool);

// The value of the leading decimal digits of text, 0 when there are none; it stops growing past cap, so a
// long run of digits cannot wrap around into a small number.
int64_t ParseLeadingDigits(std::wstring_view text, int64_t cap);

struct ThicknessChange {
    int thickness = 0; // the new thickness in pixels
    int radius = 0;    // the brush radius, for the brush
};
// The thickness dialog's OK with the typed value v: applied to target, or to all three with allTools.
ThicknessChange ApplyThicknessEntry(ToolOptions* o, ThicknessTarget target, bool allTools, int64_t v);
// A bracket key: steps the current tool's thickness by delta.
ThicknessChange StepThickness(ToolOptions* o, int delta);
