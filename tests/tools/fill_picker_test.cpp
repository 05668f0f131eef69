// Fill, colour picker and magnifier on the real canvas.
#include <windows.h>

#include <string>

#include "toolbox/tool_actions.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "shell/main_window.h"
#include "support/app_fixture.h"
#include "tools/fill_picker.h"
#include "toolbox/color_box.h"
#include "toolbox/tool_state.h"

namespace {

class FillPicker : public AppFixture {
protected:
    void TearDown() override {
        g_fillQueueLimit = SIZE_MAX;
        AppFixture::TearDown();
    }
};

// A black square outline from (100, 100) to (200, 200) on white.
void DrawBox() {
    const PixelView v = CanvasPixels();
    for (int i = 100; i <= 200; ++i) {
        WritePixel(v, i, 100, 0xFF000000u);
        WritePixel(v, i, 200, 0xFF000000u);
        WritePixel(v, 100, i, 0xFF000000u);
        WritePixel(v, 200, i, 0xFF000000u);
    }
}

TEST_F(FillPicker, FillTakesTheEnclosedAreaInEachButtonsColourAsOneUndoLevel) {
    SetTool(ToolId::Fill);
    DrawBox();
    g_colors.background = RGB(0, 255, 0);
    const size_t levels = g_undo.undo.size();
    CanvasPress(1, 150, 150);
    CanvasRelease(1, 150, 150);
    EXPECT_EQ(g_undo.undo.size(), levels + 1);
    EXPECT_EQ(PictureRgb(101, 101), 0xFF0000u);
    EXPECT_EQ(PictureRgb(199, 199), 0xFF0000u);
    EXPECT_EQ(PictureRgb(100, 150), 0x000000u) << "the border stays";
    EXPECT_EQ(PictureRgb(50, 50), 0xFFFFFFu) << "outside stays";
    CanvasPress(2, 50, 50);
    CanvasRelease(2, 50, 50);
    EXPECT_EQ(PictureRgb(639, 479), 0x00FF00u);
    EXPECT_EQ(PictureRgb(150, 150), 0xFF0000u);
    // Filling an area with its own colour changes nothing, though the level is recorded.
    CanvasPress(2, 50, 50);
    CanvasRelease(2, 50, 50);
    EXPECT_EQ(g_undo.undo.size(), levels + 3);
    Post(g_app.main, WM_COMMAND, 201);
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(PictureRgb(50, 50), 0xFFFFFFu);
}

TEST_F(FillPicker, AFillThatRunsOutOfMemoryStopsWithAMessageAndUndoRestores) {
    ASSERT_EQ(ResizeCanvasImage(3000, 60, 0xFFFFFFFFu, false), ResizeResult::Done);
    // Black dots on every odd column of every odd row: each open column below a full row is its own run.
    const PixelView v = CanvasPixels();
    FillPixels(v, 0xFFFFFFFFu);
    for (int y = 1; y < v.height; y += 2)
        for (int x = 1; x < v.width; x += 2)
            WritePixel(v, x, y, 0xFF000000u);
    SetTool(ToolId::Fill);
    g_fillQueueLimit = 1000;
    AnswerNextMessageBox(IDOK);
    CanvasPress(1, 0, 0);
    CanvasRelease(1, 0, 0);
    std::wstring box;
    ASSERT_TRUE(MessageBoxWasAnswered(&box));
    EXPECT_EQ(box, L"Kolvex|Not enough memory to complete the fill.");
    EXPECT_EQ(PictureRgb(0, 0), 0xFF0000u) << "what was filled stays";
    EXPECT_EQ(PictureRgb(0, 58), 0xFFFFFFu) << "the fill stopped early";
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(PictureRgb(0, 0), 0xFFFFFFu);
}

TEST_F(FillPicker, PickerSetsEachButtonsColourAndReturnsToThePreviousTool) {
    SetTool(ToolId::Ellipse);
    SetTool(ToolId::PickColor);
    const PixelView v = CanvasPixels();
    WritePixel(v, 30, 40, 0x00123456u); // alpha 0 counts as the same colour
    WritePixel(v, 31, 40, 0xFFABCDEFu);
    const size_t levels = g_undo.undo.size();
    CanvasPress(1, 30, 40);
    CanvasRelease(1, 30, 40);
    EXPECT_EQ(g_colors.foreground, RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(g_tools.currentTool, ToolId::Ellipse);
    SetTool(ToolId::PickColor);
    CanvasPress(2, 31, 40);
    CanvasMove(60, 60, MK_RBUTTON); // the rest of the drag belongs to the picker, not to the ellipse
    CanvasRelease(2, 60, 60);
    EXPECT_EQ(g_colors.background, RGB(0xAB, 0xCD, 0xEF));
    EXPECT_EQ(g_tools.currentTool, ToolId::Ellipse);
    EXPECT_EQ(g_undo.undo.size(), levels) << "picking changes no pixel";
}

TEST_F(FillPicker, MagnifierStepsUpAboutThePointerAndTheRightButtonGoesBackToOne) {
    SetTool(ToolId::Magnifier);
    const double expected[] = {2, 4, 6, 8, 16, 1};
    for (double z : expected) {
        const PicturePoint before = ClientToPicture(200, 150);
        CanvasPress(1, 200, 150);
        CanvasRelease(1, 200, 150);
        EXPECT_DOUBLE_EQ(g_view.zoom, z);
        const PicturePoint after = ClientToPicture(200, 150);
        EXPECT_EQ(after.x, before.x) << z;
        EXPECT_EQ(after.y, before.y) << z;
    }
    CanvasPress(1, 10, 10);
    CanvasRelease(1, 10, 10);
    CanvasPress(2, 10, 10);
    CanvasRelease(2, 10, 10);
    EXPECT_DOUBLE_EQ(g_view.zoom, 1);
}

} // namespace
