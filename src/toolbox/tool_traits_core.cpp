#include "toolbox/tool_traits_core.h"

namespace {

constexpr ToolTraits kNone{};
constexpr ToolTraits kSelection{.isSelection = true};
constexpr ToolTraits kRectSelection{.showsDragSize = true, .isSelection = true};
constexpr ToolTraits kText{.showsDragSize = true, .usesIBeam = true};
constexpr ToolTraits kLine{.lineWidthPanel = true, .lineWidthKeys = true};
constexpr ToolTraits kCurve{.lineWidthPanel = true, .lineWidthKeys = true, .followsPointer = true};
constexpr ToolTraits kBox{.showsDragSize = true, .isShape = true, .lineWidthPanel = true, .lineWidthKeys = true};
constexpr ToolTraits kPolygon{.isShape = true, .lineWidthPanel = true, .lineWidthKeys = true, .followsPointer = true};
constexpr ToolTraits kPath{.lineWidthKeys = true, .followsPointer = true};

// In ToolId order.
constexpr const ToolTraits* kTraits[kToolCount] = {
    &kSelection, &kRectSelection, &kNone,  &kNone, &kNone,    &kNone, &kNone, &kNone, &kNone,
    &kText,      &kLine,          &kCurve, &kBox,  &kPolygon, &kBox,  &kBox,  &kPath, &kNone,
};

} // namespace

const ToolTraits& TraitsOf(ToolId tool) {
    const int i = static_cast<int>(tool);
    return i >= 0 && i < kToolCount ? *kTraits[i] : kNone;
}
