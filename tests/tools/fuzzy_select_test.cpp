// Fuzzy select on the real canvas: a click makes a lifted, transparent free-form selection with two levels.
#include <windows.h>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "support/app_fixture.h"
#include "tools/fuzzy_select.h"
#include "tools/selection.h"
#include "toolbox/colors.h"
#include "toolbox/tool_actions.h"

namespace {

class Fuzzy : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        EnlargeMainWindow();
        g_colors.background = RGB(0, 0, 255);
        SetTool(ToolId::FuzzySelect);
    }
    void TearDown() override {
        g_fuzzyQueueLimit = SIZE_MAX;
        AppFixture::TearDown();
    }
};

void Square(int x0, int y0, int x1, int y1, uint32_t pixel) {
    GdiFlush();
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            WritePixel(CanvasPixels(), x, y, pixel);
}

TEST_F(Fuzzy, AClickLiftsATransparentFreeFormSelectionWithTwoLevels) {
    const size_t depth = g_undo.undo.size();
    CanvasPress(1, 639, 10); // the last column works
    EXPECT_FALSE(GetCapture() == g_app.canvas) << "the click does not go on as a drag";
    CanvasRelease(1, 639, 10);
    ASSERT_TRUE(HasSelection());
    EXPECT_EQ(g_selection.width, 640) << "a plain picture is selected whole";
    EXPECT_EQ(g_selection.height, 480);
    EXPECT_TRUE(g_selection.lifted);
    EXPECT_TRUE(g_tools.selectionTransparent);
    EXPECT_EQ(g_undo.undo.size(), depth + 2);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Fuzzy selection created (Tolerance: 15). Drag to move or copy/cut.");
    EXPECT_EQ(PictureRgb(300, 300), 0x0000FFu) << "the hole is Color 2";
}

TEST_F(Fuzzy, DraggingTheShapeMovesOnlyTheShape) {
    Square(100, 100, 150, 150, 0xFF00FF00u);
    CanvasPress(1, 120, 120);
    CanvasRelease(1, 120, 120);
    ASSERT_EQ(g_selection.width, 50);
    CanvasDrag(1, 110, 110, 310, 110); // inside it: a move by 200
    Post(g_app.canvas, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(PictureRgb(300, 100), 0x00FF00u);
    EXPECT_EQ(PictureRgb(349, 149), 0x00FF00u);
    EXPECT_EQ(PictureRgb(120, 120), 0x0000FFu);
    EXPECT_EQ(PictureRgb(350, 150), 0xFFFFFFu);
}

TEST_F(Fuzzy, AnEarlierMovedSelectionIsStampedBeforeTheFirstLevel) {
    SetTool(ToolId::Select);
    Square(10, 10, 30, 30, 0xFFFF0000u);
    CanvasDrag(1, 10, 10, 30, 30);
    CanvasDrag(1, 15, 15, 215, 15); // the red square now floats at (210, 10)
    SetTool(ToolId::FuzzySelect);   // stamps it
    Square(400, 400, 420, 420, 0xFF000000u);
    CanvasPress(1, 405, 405);
    CanvasRelease(1, 405, 405);
    Post(g_app.main, WM_COMMAND, 201);
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(PictureRgb(215, 15), 0xFF0000u) << "the moved content is where it was put";
    EXPECT_EQ(PictureRgb(15, 15), 0x0000FFu);
}

TEST_F(Fuzzy, ToleranceAndCornersAndOutOfMemory) {
    Square(0, 0, 640, 480, 0xFF000000u);
    Square(200, 0, 201, 480, 0xFF010000u); // a column of RGB(1, 0, 0)
    g_tools.fuzzyTolerance = 0;
    CanvasPress(1, 10, 10);
    CanvasRelease(1, 10, 10);
    EXPECT_EQ(g_selection.width, 200) << "tolerance 0 leaves RGB(1, 0, 0) out";
    Post(g_app.canvas, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    // Out of memory: the message, and neither a level nor a selection. Under row 10 many separate runs wait.
    for (int x = 1; x < 640; x += 2)
        Square(x, 11, x + 1, 12, 0xFFFFFFFFu);
    g_fuzzyQueueLimit = 4;
    const size_t depth = g_undo.undo.size();
    CanvasPress(1, 10, 10);
    CanvasRelease(1, 10, 10);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(g_undo.undo.size(), depth);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Not enough memory to create selection.");
    // A click on the grey area does nothing.
    CanvasPress(1, 700, 100);
    CanvasRelease(1, 700, 100);
    EXPECT_EQ(g_undo.undo.size(), depth);
}

} // namespace
