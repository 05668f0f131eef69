#include "toolbox/tool_box_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "toolbox/tool_box_icons_core.h"

namespace {

TEST(ToolBoxCore, ButtonGridMapsEveryPixelToItsTool) {
    for (int k = 0; k < kToolCount; ++k) {
        const BoxRect b = ToolButtonRect(k);
        EXPECT_EQ(ToolButtonAt(b.left, b.top), k);
        EXPECT_EQ(ToolButtonAt(b.right - 1, b.bottom - 1), k);
    }
    EXPECT_EQ(ToolButtonAt(2, 10), -1);
    EXPECT_EQ(ToolButtonAt(53, 10), -1) << "x 53 belongs to the option panel";
    EXPECT_EQ(ToolButtonAt(10, 228), -1);
    EXPECT_EQ(ToolButtonAt(52, 227), 17);
}

// A band's last pixels must not run an index past its table and the gap rows change nothing.
TEST(ToolBoxCore, ShortBandsClampToTheirTablesAndIgnoreTheGap) {
    struct Case {
        ToolId tool;
        int x, y;
        bool hit;
        int eraser, airbrush, shape;
        double zoom;
    } cases[] = {
        {ToolId::Eraser, 28, 232, true, 0, 1, 0, 0},     {ToolId::Eraser, 28, 298, true, 3, 1, 0, 0},
        {ToolId::Eraser, 28, 299, false, 1, 1, 0, 0},    {ToolId::Eraser, 28, 301, false, 1, 1, 0, 0},
        {ToolId::Airbrush, 28, 254, true, 1, 0, 0, 0},   {ToolId::Airbrush, 28, 255, true, 1, 1, 0, 0},
        {ToolId::Airbrush, 28, 298, true, 1, 2, 0, 0},   {ToolId::Airbrush, 28, 300, false, 1, 1, 0, 0},
        {ToolId::Brush, 53, 298, true, 1, 1, 11, 0},     {ToolId::Brush, 3, 232, true, 1, 1, 0, 0},
        {ToolId::Brush, 20, 249, true, 1, 1, 4, 0},      {ToolId::Brush, 53, 300, false, 1, 1, 0, 0},
        {ToolId::Magnifier, 28, 298, true, 1, 1, 0, 8},  {ToolId::Magnifier, 28, 249, true, 1, 1, 0, 2},
        {ToolId::Magnifier, 28, 301, false, 1, 1, 0, 0}, {ToolId::Magnifier, 54, 240, false, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        ToolOptions o;
        o.currentTool = c.tool;
        const PanelClickResult r = PanelClick(&o, c.x, c.y, 0);
        SCOPED_TRACE(testing::Message() << "tool " << static_cast<int>(c.tool) << " at " << c.x << "," << c.y);
        EXPECT_EQ(r.hit, c.hit);
        EXPECT_EQ(o.eraserSize, c.eraser);
        EXPECT_EQ(o.airbrushSize, c.airbrush);
        EXPECT_EQ(o.brushShape, c.shape);
        EXPECT_EQ(r.zoom, c.zoom);
        EXPECT_EQ(r.action == PanelAction::ZoomTo, c.zoom > 0);
    }
}

TEST(ToolBoxCore, BrushShapeCellsKeepACustomRadiusAndSizeBarsClearIt) {
    struct Case {
        int x, y;
        int inkPen, shape, sizeIndex, customRadius;
    } cases[] = {
        {18, 232, -1, 0, 1, 7}, // left column: size 1
        {19, 232, -1, 1, 3, 7}, // middle column shows a middle shape but picks index 3
        {40, 270, -1, 8, 4, 7}, // right column, row 2
        {28, 319, 0, 0, 3, 7},  // "Ink"
        {28, 320, 0, 0, 0, 0},  // first size bar
        {28, 447, 0, 0, 7, 0},  // last size bar
        {28, 448, 0, 0, 3, 7},  // the custom-size box row is no bar
    };
    for (const Case& c : cases) {
        ToolOptions o;
        o.currentTool = ToolId::Brush;
        o.brushCustomRadius = 7;
        EXPECT_TRUE(PanelClick(&o, c.x, c.y, 0).hit);
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(o.inkPen, c.inkPen);
        EXPECT_EQ(o.brushShape, c.shape);
        EXPECT_EQ(o.brushSizeIndex, c.sizeIndex);
        EXPECT_EQ(o.brushCustomRadius, c.customRadius);
    }
}

TEST(ToolBoxCore, WidthListsAndMosaicCells) {
    struct Case {
        int y, bandTop, width;
    } widths[] = {{232, 232, 1}, {244, 232, 1}, {245, 232, 2}, {296, 232, 5}, {298, 232, 5}, {368, 302, 5}};
    for (const Case& c : widths)
        EXPECT_EQ(WidthListValue(c.y, c.bandTop), c.width) << c.y;

    struct Cell {
        ToolId tool;
        int x, y;
        int size;
        PanelAction action;
        const wchar_t* status;
    } cells[] = {
        {ToolId::Select, 28, 326, 8, PanelAction::ApplyMosaic, L""},
        {ToolId::Select, 28, 327, 8, PanelAction::None, L""},
        {ToolId::Select, 27, 328, 4, PanelAction::None, L"Mosaic block size: 4 px. [Click Mosaic or Ctrl+M to apply]"},
        {ToolId::Select, 28, 347, 16, PanelAction::None,
         L"Mosaic block size: 16 px. [Click Mosaic or Ctrl+M to apply]"},
        {ToolId::FreeFormSelect, 10, 368, 16, PanelAction::None,
         L"Mosaic block size: 16 px. [Click Mosaic or Ctrl+M to apply]"},
        {ToolId::FuzzySelect, 28, 396, 8, PanelAction::ApplyMosaic, L""},
        {ToolId::FuzzySelect, 28, 397, 8, PanelAction::None, L""},
        {ToolId::FuzzySelect, 40, 398, 8, PanelAction::None,
         L"Mosaic block size: 8 px. [Click Mosaic or Ctrl+M to apply]"},
        {ToolId::FuzzySelect, 10, 417, 12, PanelAction::None,
         L"Mosaic block size: 12 px. [Click Mosaic or Ctrl+M to apply]"},
    };
    for (const Cell& c : cells) {
        ToolOptions o;
        o.currentTool = c.tool;
        const PanelClickResult r = PanelClick(&o, c.x, c.y, 0);
        EXPECT_TRUE(r.hit);
        EXPECT_EQ(o.mosaicBlockSize, c.size) << c.y;
        EXPECT_EQ(r.action, c.action) << c.y;
        EXPECT_EQ(r.status, c.status) << c.y;
    }
}

TEST(ToolBoxCore, PathModesActOnlyOnAUsablePath) {
    struct Case {
        int y, anchors, mode;
        PanelAction action;
        const wchar_t* status;
    } cases[] = {
        {249, 0, 0, PanelAction::None, L"Path Mode: Select. [Enter to convert to free-form selection]"},
        {249, 2, 0, PanelAction::PathToSelection, L""},
        {250, 1, 1, PanelAction::None, L"Path Mode: Stroke. [Enter to draw line with current line width]"},
        {265, 3, 1, PanelAction::StrokePath, L""},
        {266, 0, 2, PanelAction::None, L"Path Mode: Mosaic. [Enter to apply mosaic to path]"},
        {281, 2, 2, PanelAction::PathMosaic, L""},
        {282, 0, 3, PanelAction::ClearPath, L""},
    };
    for (const Case& c : cases) {
        ToolOptions o;
        o.currentTool = ToolId::Path;
        const PanelClickResult r = PanelClick(&o, 28, c.y, c.anchors);
        EXPECT_EQ(o.pathMode, c.mode) << c.y;
        EXPECT_EQ(r.action, c.action) << c.y;
        EXPECT_EQ(r.status, c.status) << c.y;
    }
}

TEST(ToolBoxCore, HoverTexts) {
    struct Case {
        ToolId tool;
        int pathMode;
        int x, y;
        const wchar_t* text;
    } cases[] = {
        {ToolId::Select, 0, 28, 266, L"Opaque: selection includes background. [Ctrl+1]"},
        {ToolId::Text, 0, 28, 267, L"Transparent: selection makes background transparent. [Ctrl+2]"},
        {ToolId::FreeFormSelect, 0, 28, 326, L"Mosaic: applies mosaic to selected area. [Ctrl+M / Ctrl+3]"},
        {ToolId::Select, 0, 40, 350, L"Mosaic block size: 16px."},
        {ToolId::Ellipse, 0, 28, 258, L"Changes the line width to 3px. [3]"},
        {ToolId::Line, 0, 28, 335, L"Arrow: draws a line with an arrowhead at the end point. [Ctrl+2]"},
        {ToolId::Rectangle, 0, 28, 368, L"Solid foreground: draws filled shape without outline. [Ctrl+3]"},
        {ToolId::Polygon, 0, 28, 324, L"Filled with background color: draws outline and fill. [Ctrl+2]"},
        {ToolId::Brush, 0, 28, 319, L"Ink pen: pressure, shading, and smoothed curves."},
        {ToolId::Brush, 0, 28, 454, L"Brush thickness 8 / 8 (18px). [key 8]"},
        {ToolId::Path, 0, 28, 282, L"Clear: cancels and resets current path. [Esc / Ctrl+4]"},
        {ToolId::Path, 2, 28, 368, L"Mosaic block size: 16px."},
        {ToolId::Path, 1, 28, 315, L"Changes the path stroke line width to 2px. [2]"},
        {ToolId::FuzzySelect, 0, 28, 298, L"Tolerance 64: matching color threshold. [Ctrl+4]"},
        {ToolId::FuzzySelect, 0, 28, 396, L"Mosaic: applies mosaic to fuzzy selection. [Ctrl+M]"},
        {ToolId::FuzzySelect, 0, 10, 398, L"Mosaic block size: 4px."},
        {ToolId::Pencil, 0, 28, 240, L""},
        {ToolId::Line, 0, 28, 300, L""},
        {ToolId::Line, 0, 54, 240, L""},
    };
    for (const Case& c : cases) {
        ToolOptions o;
        o.currentTool = c.tool;
        o.pathMode = c.pathMode;
        EXPECT_EQ(PanelHoverText(o, c.x, c.y), c.text) << static_cast<int>(c.tool) << " at " << c.x << "," << c.y;
    }
}

TEST(ToolBoxCore, IconsAreSixteenBySixteenPaletteMaps) {
    for (int k = 0; k < kToolCount; ++k) {
        int inked = 0;
        for (int row = 0; row < kIconSize; ++row) {
            ASSERT_NE(kToolIcons[k][row], nullptr);
            ASSERT_EQ(std::strlen(kToolIcons[k][row]), static_cast<size_t>(kIconSize))
                << "tool " << k << " row " << row;
            for (int x = 0; x < kIconSize; ++x) {
                const char c = kToolIcons[k][row][x];
                EXPECT_TRUE(c == '.' || IsIconPaletteLetter(c)) << "tool " << k << " row " << row << ": " << c;
                inked += c != '.';
            }
        }
        EXPECT_GT(inked, 20) << "tool " << k << " has hardly a picture";
    }
    EXPECT_STREQ(kToolIcons[static_cast<int>(ToolId::Line)][1], ".kk.............");
    EXPECT_EQ(IconLetterColor('m'), 140u | 70u << 8 | 20u << 16);
    EXPECT_EQ(IconLetterColor('u'), 255u << 16);
}

} // namespace
