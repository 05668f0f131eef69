#include "toolbox/tool_traits_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(ToolTraits, EachTraitBelongsToExactlyItsTools) {
    using T = ToolId;
    struct Trait {
        const char* name;
        bool ToolTraits::*field;
        std::vector<T> tools;
    } traits[] = {
        {"drag size", &ToolTraits::showsDragSize, {T::Select, T::Text, T::Rectangle, T::Ellipse, T::RoundedRectangle}},
        {"shape", &ToolTraits::isShape, {T::Rectangle, T::Polygon, T::Ellipse, T::RoundedRectangle}},
        {"width panel",
         &ToolTraits::lineWidthPanel,
         {T::Line, T::Curve, T::Rectangle, T::Polygon, T::Ellipse, T::RoundedRectangle}},
        {"width keys",
         &ToolTraits::lineWidthKeys,
         {T::Line, T::Curve, T::Rectangle, T::Polygon, T::Ellipse, T::RoundedRectangle, T::Path}},
        {"selection", &ToolTraits::isSelection, {T::FreeFormSelect, T::Select}},
        {"rubber band", &ToolTraits::followsPointer, {T::Curve, T::Polygon, T::Path}},
        {"I-beam", &ToolTraits::usesIBeam, {T::Text}},
    };
    for (const Trait& t : traits)
        for (int k = 0; k < kToolCount; ++k) {
            const bool expected = std::find(t.tools.begin(), t.tools.end(), static_cast<T>(k)) != t.tools.end();
            EXPECT_EQ(TraitsOf(static_cast<T>(k)).*t.field, expected) << t.name << ", tool " << k;
        }
    EXPECT_FALSE(TraitsOf(static_cast<T>(18)).showsDragSize);
    EXPECT_FALSE(TraitsOf(static_cast<T>(-1)).isSelection);
}

} // namespace
