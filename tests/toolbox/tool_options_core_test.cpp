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
    o.currentTool = ToolId::Brush; // preset 3: radius 4, thickness 8
    ThicknessChange c = StepThickness(&o, 1);
    EXPECT_EQ(c.thickness, 9);
    EXPECT_EQ(c.radius, 4);
    EXPECT_EQ(o.brushCustomRadius, 4);
    o.brushCustomRadius = 1;
    c = StepThickness(&o, -1);
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

} // namespace
