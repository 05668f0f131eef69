#include "toolbox/tool_keys_core.h"

#include <gtest/gtest.h>

namespace {

TEST(ToolKeys, LettersChooseToolsAndPTogglesPencilAndPath) {
    const std::pair<wchar_t, ToolId> letters[] = {
        {L'A', ToolId::Airbrush},
        {L'B', ToolId::Brush},
        {L'C', ToolId::Curve},
        {L'V', ToolId::Curve},
        {L'E', ToolId::Eraser},
        {L'F', ToolId::FreeFormSelect},
        {L'G', ToolId::Fill},
        {L'I', ToolId::PickColor},
        {L'K', ToolId::PickColor},
        {L'L', ToolId::Line},
        {L'M', ToolId::Magnifier},
        {L'Z', ToolId::Magnifier},
        {L'O', ToolId::Ellipse},
        {L'R', ToolId::Rectangle},
        {L'S', ToolId::Select},
        {L'T', ToolId::Text},
        {L'U', ToolId::RoundedRectangle},
        {L'W', ToolId::FuzzySelect},
        {L'Y', ToolId::Polygon},
        {L'P', ToolId::Pencil},
    };
    for (auto [c, tool] : letters) {
        ToolOptions o; // Rectangle current
        const ToolKeyResult r = ToolKeyAction(&o, c);
        EXPECT_TRUE(r.handled) << static_cast<char>(c);
        EXPECT_EQ(r.tool, static_cast<int>(tool)) << static_cast<char>(c);
    }
    ToolOptions o;
    o.currentTool = ToolId::Pencil;
    EXPECT_EQ(ToolKeyAction(&o, L'P').tool, static_cast<int>(ToolId::Path));
    for (wchar_t c : {L'D', L'H', L'J', L'N', L'Q', L'X', L'9', L'0', L' '})
        EXPECT_FALSE(ToolKeyAction(&o, c).handled);
}

TEST(ToolKeys, DigitsSetTheCurrentToolsSize) {
    ToolOptions o;
    o.currentTool = ToolId::Pencil;
    EXPECT_TRUE(ToolKeyAction(&o, L'4').handled);
    EXPECT_EQ(o.pencilWidth, 4);
    EXPECT_FALSE(ToolKeyAction(&o, L'7').handled) << "7 means nothing for the pencil";
    o.currentTool = ToolId::Brush;
    o.brushCustomRadius = 9;
    EXPECT_TRUE(ToolKeyAction(&o, L'7').handled);
    EXPECT_EQ(o.brushSizeIndex, 6);
    EXPECT_EQ(o.brushCustomRadius, 0);
    o.currentTool = ToolId::Ellipse;
    ToolKeyAction(&o, L'3');
    EXPECT_EQ(o.lineWidth, 3);
    o.currentTool = ToolId::FuzzySelect;
    const ToolKeyResult r = ToolKeyAction(&o, L'3');
    EXPECT_EQ(o.fuzzyTolerance, 32);
    EXPECT_EQ(r.status, L"Fuzzy Select Tolerance: 32. [key 3 / Ctrl+3]");
    EXPECT_FALSE(ToolKeyAction(&o, L'5').handled);
    o.currentTool = ToolId::Fill;
    EXPECT_FALSE(ToolKeyAction(&o, L'2').handled);
}

TEST(ToolKeys, CtrlDigitsChooseSubOptionsWithTheirTexts) {
    struct Case {
        ToolId tool;
        int d;
        bool handled;
        const wchar_t* status;
    } cases[] = {
        {ToolId::Rectangle, 2, true, L"Filled with background color: draws outline and fill. [Ctrl+2]"},
        {ToolId::Polygon, 3, true, L"Solid foreground: draws filled shape without outline. [Ctrl+3]"},
        {ToolId::Rectangle, 4, false, L""},
        {ToolId::Select, 2, true, L"Transparent selection: makes background color transparent. [Ctrl+2]"},
        {ToolId::Text, 1, true, L"Opaque text background (filled with Color 2). [Ctrl+1]"},
        {ToolId::Line, 2, true, L"Arrow: draws a line with an arrowhead at the end point. [Ctrl+2]"},
        {ToolId::Eraser, 4, true, L"Eraser size 10x10. [Ctrl+4]"},
        {ToolId::Airbrush, 3, true, L"Airbrush size: Large. [Ctrl+3]"},
        {ToolId::Airbrush, 4, false, L""},
        {ToolId::FuzzySelect, 4, true, L"Fuzzy Select Tolerance: 64. [Ctrl+4]"},
        {ToolId::Path, 2, true, L"Path Mode: Stroke. [Enter to draw stroke line with current width]"},
        {ToolId::Pencil, 1, false, L""},
    };
    for (const Case& c : cases) {
        ToolOptions o;
        o.currentTool = c.tool;
        const ToolKeyResult r = ToolCtrlDigitAction(&o, c.d, 0);
        EXPECT_EQ(r.handled, c.handled) << static_cast<int>(c.tool) << " Ctrl+" << c.d;
        EXPECT_EQ(r.status, c.status) << static_cast<int>(c.tool) << " Ctrl+" << c.d;
    }
    ToolOptions o;
    o.currentTool = ToolId::Magnifier;
    const ToolKeyResult zoom = ToolCtrlDigitAction(&o, 3, 0);
    EXPECT_EQ(zoom.action, PanelAction::ZoomTo);
    EXPECT_DOUBLE_EQ(zoom.zoom, 6);
    o.currentTool = ToolId::Path;
    EXPECT_EQ(ToolCtrlDigitAction(&o, 1, 2).action, PanelAction::PathToSelection) << "a usable path";
    EXPECT_EQ(o.pathMode, 0);
    EXPECT_EQ(ToolCtrlDigitAction(&o, 4, 0).action, PanelAction::ClearPath);
}

} // namespace
