// The freehand tools on the real canvas: one undo level per stroke, the colours of each button, the airbrush
// timer, and a lost capture that must stop every kind of drawing at once.
#include <windows.h>

#include <chrono>

#include "toolbox/tool_actions.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "shell/main_window.h"
#include "support/app_fixture.h"
#include "toolbox/color_box.h"
#include "toolbox/tool_state.h"

namespace {

constexpr uint32_t kRed = 0xFF0000u;
constexpr uint32_t kBlue = 0x0000FFu;
constexpr uint32_t kWhite = 0xFFFFFFu;

class Freehand : public AppFixture {};

void Pump(std::chrono::milliseconds d) {
    PumpUntil([] { return false; }, d);
}

TEST_F(Freehand, EachStrokeIsOneUndoLevelInItsButtonsColour) {
    struct Case {
        ToolId tool;
        int inkPen;
        int button;
        uint32_t colour;
    } cases[] = {
        {ToolId::Brush, -1, 1, kRed},
        {ToolId::Brush, -1, 2, kBlue},
        {ToolId::Brush, 0, 1, kRed},
        {ToolId::Airbrush, 0, 2, kBlue},
    };
    g_colors.background = RGB(0, 0, 255);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.tool) * 10 + c.button);
        FreshWhitePicture();
        SetTool(c.tool);
        g_tools.inkPen = c.inkPen;
        const size_t levels = g_undo.undo.size();
        CanvasDrag(c.button, 100, 100, 300, 100, 20);
        EXPECT_EQ(g_undo.undo.size(), levels + 1);
        EXPECT_GT(CountPixelsOtherThan(kWhite), 0);
        if (c.tool == ToolId::Brush && c.inkPen < 0) {
            // A brush stroke covers its path, ends included.
            for (int x = 100; x <= 300; x += 20)
                EXPECT_EQ(PictureRgb(x, 100), c.colour) << x;
        }
        Post(g_app.main, WM_COMMAND, 201);
        EXPECT_EQ(CountPixelsOtherThan(kWhite), 0) << "undo takes the stroke back whole";
    }
}

TEST_F(Freehand, EraserPaintsColorTwoAndTheColourEraserReplacesOnlyColorOne) {
    SetTool(ToolId::Eraser);
    g_colors.background = RGB(0, 0, 255);
    // Stripes of Color 1 (red) and green across the picture.
    const PixelView v = CanvasPixels();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x)
            WritePixel(v, x, y, (x / 4) % 2 ? 0xFFFF0000u : 0xFF00FF00u);
    CanvasDrag(2, 100, 100, 200, 100, 10); // colour eraser: eraser size 1 is 7 pixels wide
    for (int x = 98; x <= 202; ++x) {
        const uint32_t expected = (x / 4) % 2 ? kBlue : 0x00FF00u;
        EXPECT_EQ(PictureRgb(x, 100), expected) << x;
        EXPECT_EQ(PictureRgb(x, 103), expected) << x;
    }
    EXPECT_EQ(PictureRgb(101, 104), kRed) << "below the eraser";
    CanvasDrag(1, 100, 300, 200, 300, 10); // plain eraser: everything under it
    for (int x = 97; x <= 203; ++x)
        EXPECT_EQ(PictureRgb(x, 300), kBlue) << x;
    EXPECT_NE(PictureRgb(100, 304), kBlue);
}

TEST_F(Freehand, AirbrushKeepsSprayingWhileHeldStill) {
    SetTool(ToolId::Airbrush);
    CanvasPress(1, 200, 200);
    const int afterPress = CountPixelsOtherThan(kWhite);
    EXPECT_GT(afterPress, 0);
    Pump(std::chrono::milliseconds(400));
    EXPECT_GT(CountPixelsOtherThan(kWhite), afterPress) << "the 40 ms timer sprays without moves";
    CanvasRelease(1, 200, 200);
    const int afterRelease = CountPixelsOtherThan(kWhite);
    Pump(std::chrono::milliseconds(300));
    EXPECT_EQ(CountPixelsOtherThan(kWhite), afterRelease) << "the release stops the timer";
}

TEST_F(Freehand, ALostCaptureStopsTheAirbrushAndEveryStroke) {
    SetTool(ToolId::Airbrush);
    CanvasPress(1, 200, 200);
    ASSERT_EQ(GetCapture(), g_app.canvas);
    ReleaseCapture(); // as when a hot key or another window takes the mouse mid-drag
    PumpMessages();
    const int afterLoss = CountPixelsOtherThan(kWhite);
    Pump(std::chrono::milliseconds(1000));
    EXPECT_EQ(CountPixelsOtherThan(kWhite), afterLoss) << "no new dots for a second";

    for (ToolId tool : {ToolId::Brush, ToolId::Eraser}) {
        SetTool(tool);
        g_tools.inkPen = -1;
        CanvasPress(1, 100, 300);
        ReleaseCapture();
        PumpMessages();
        const int before = CountPixelsOtherThan(kWhite);
        CanvasMove(300, 300, MK_LBUTTON);
        CanvasMove(350, 350, 0);
        EXPECT_EQ(CountPixelsOtherThan(kWhite), before) << static_cast<int>(tool);
    }
}

} // namespace
