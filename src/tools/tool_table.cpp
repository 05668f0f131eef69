// The tool table: one row per ToolId, each exported by its tool family's file.
#include "tools/tool_row.h"

#include "tools/fill_picker.h"
#include "tools/freehand.h"
#include "tools/fuzzy_select.h"
#include "tools/path_tool.h"
#include "tools/pencil.h"
#include "tools/selection.h"
#include "tools/shape_tools.h"
#include "tools/text_tool.h"

// In ToolId order.
static const ToolRow* const kRows[kToolCount] = {
    &kFreeFormSelectRow, &kSelectRow,  &kEraserRow,   &kFillRow,     &kPickColorRow, &kMagnifierRow,
    &kPencilRow,         &kBrushRow,   &kAirbrushRow, &kTextRow,     &kLineRow,      &kCurveRow,
    &kBoxShapeRow,       &kPolygonRow, &kBoxShapeRow, &kBoxShapeRow, &kPathRow,      &kFuzzySelectRow,
};

const ToolRow& ToolRowOf(ToolId tool) {
    static const ToolRow kNoRow{};
    const int i = static_cast<int>(tool);
    return i >= 0 && i < kToolCount ? *kRows[i] : kNoRow;
}

void ResetToolDragStates() {
    ResetShapeStates();
    ForgetInkStroke();
}
