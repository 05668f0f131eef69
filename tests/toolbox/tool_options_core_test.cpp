#include "toolbox/tool_options_core.h"

#include <gtest/gtest.h>

namespace {

TEST(ThicknessEntry, TypedValuesAreClampedAndNeverWrap) {
    struct Case {
        const wchar_t* text;
        int expected;
    } cases[] = {{L"0", 1},     {L"", 1},      {L"abc", 1},           {L"7", 7},
                 {L"12px", 12}, {L"999", 500}, {L"99999999999", 500}, {L"4294967298", 500},
                 {L"500", 500}, {L" 5", 1}};
    for (const Case& c : cases) {
        ToolOptions o;
        const ThicknessChange r =
            ApplyThicknessEntry(&o, ThicknessTarget::Pencil, false, ParseLeadingDigits(c.text, 500));
        EXPECT_EQ(r.thickness, c.expected) << static_cast<const void*>(c.text);
        EXPECT_EQ(o.pencilWidth, c.expected);
        EXPECT_EQ(o.lineWidth, 5) << "only the pencil";
    }
    EXPECT_EQ(ParseLeadingDigits(L"4294967298", 64), 65);
}

TEST(ThicknessEntry, AllToolsSetsEveryThicknessAndTheBrushRadius) {
    const std::pair<const wchar_t*, int> radii[] = {{L"1", 1}, {L"3", 1}, {L"4", 2}, {L"0", 1}, {L"999", 250}};
    for (auto [text, radius] : radii) {
        ToolOptions o;
        ApplyThicknessEntry(&o, ThicknessTarget::LineShape, true, ParseLeadingDigits(text, 500));
        EXPECT_EQ(o.brushCustomRadius, radius) << static_cast<const void*>(text);
        EXPECT_EQ(o.pencilWidth, o.lineWidth);
    }
}

TEST(ThicknessSteps, EachToolStepsItsOwnThickness) {
    ToolOptions o;
    o.currentTool = ToolId::Brush;
    o.brushCustomRadius = 1;
    const ThicknessChange c = StepThickness(&o, -1);
    EXPECT_EQ(c.thickness, 1);
    EXPECT_EQ(o.brushCustomRadius, 1);
    o.currentTool = ToolId::Fill;
    StepThickness(&o, -5);
    EXPECT_EQ(o.lineWidth, 1) << "the line width, clamped";
    o.currentTool = ToolId::Pencil;
    for (int i = 0; i < 200; ++i)
        StepThickness(&o, 5);
    EXPECT_EQ(o.pencilWidth, 500);
    EXPECT_EQ(ThicknessTargetOf(ToolId::Path), ThicknessTarget::LineShape);
}

TEST(ThicknessSteps, BracketsStepTheBrushToTheNextRadiusEitherWay) {
    struct Case {
        int radius, delta, thickness, newRadius;
    } cases[] = {
        {4, 1, 10, 5}, {4, -1, 6, 3}, {4, 5, 12, 6},      {4, -5, 2, 1},      {1, 1, 4, 2},
        {1, -1, 1, 1}, {2, -1, 2, 1}, {250, 1, 500, 250}, {249, 5, 500, 250},
    };
    for (const Case& c : cases) {
        ToolOptions o;
        o.currentTool = ToolId::Brush;
        o.brushCustomRadius = c.radius;
        const ThicknessChange got = StepThickness(&o, c.delta);
        EXPECT_EQ(got.thickness, c.thickness) << c.radius << " " << c.delta;
        EXPECT_EQ(got.radius, c.newRadius) << c.radius << " " << c.delta;
        EXPECT_EQ(o.brushCustomRadius, c.newRadius) << c.radius << " " << c.delta;
    }
    // A preset counts by its radius: index 3 is radius 4.
    ToolOptions preset;
    preset.currentTool = ToolId::Brush;
    EXPECT_EQ(StepThickness(&preset, 1).radius, 5);
    // Ten presses of "]" from a preset make ten different sizes.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(StepThickness(&preset, 1).radius, 6 + i);
}

} // namespace
