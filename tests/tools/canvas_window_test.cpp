#include <windows.h>

#include "document/canvas_image.h"
#include "document/view_state.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"
#include "tools/canvas_window.h"
#include "toolbox/color_box.h"
#include "toolbox/tool_state.h"

namespace {

// The canvas tests draw with the pencil.
class Canvas : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ChoosePencil();
    }
};

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kRed = 0xFFFF0000u;

int CountPixels(uint32_t value) {
    GdiFlush();
    int n = 0;
    for (int i = 0; i < g_canvas.width * g_canvas.height; ++i)
        n += (g_canvas.pixels[i] & 0xFFFFFF) == (value & 0xFFFFFF);
    return n;
}

TEST_F(Canvas, PencilDragsDrawInEachButtonsColour) {
    struct Case {
        int button;
        COLORREF background;
        uint32_t expected;
    } cases[] = {{1, RGB(255, 255, 255), kRed}, {2, RGB(0, 0, 255), 0xFF0000FFu}};
    int row = 10;
    for (const Case& c : cases) {
        g_colors.background = c.background;
        CanvasDrag(c.button, 10, row, 50, row + 20, 3);
        // Both ends and every step between them, with no gap where the moves jumped.
        EXPECT_EQ(PictureAt(10, row), c.expected);
        EXPECT_EQ(PictureAt(50, row + 20), c.expected);
        for (int x = 10; x <= 50; ++x) {
            int hits = 0;
            for (int y = row; y <= row + 20; ++y)
                hits += PictureAt(x, y) == c.expected;
            EXPECT_GE(hits, 1) << "gap at column " << x;
        }
        EXPECT_EQ(CountPixels(c.expected), 41);
        row += 100;
    }
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
}

TEST_F(Canvas, WidePencilDrawsRoundDiscs) {
    g_tools.pencilWidth = 5;
    CanvasPress(1, 100, 100);
    EXPECT_EQ(PictureAt(100, 100) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(PictureAt(102, 100) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(PictureAt(100, 98) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(PictureAt(104, 100), kWhite);
    CanvasMove(140, 100, MK_LBUTTON);
    CanvasRelease(1, 140, 100);
    for (int x = 100; x <= 140; x += 5) {
        EXPECT_EQ(PictureAt(x, 98) & 0xFFFFFF, 0xFF0000u) << x;
        EXPECT_EQ(PictureAt(x, 102) & 0xFFFFFF, 0xFF0000u) << x;
    }
    EXPECT_EQ(PictureAt(120, 106), kWhite);
    EXPECT_EQ(PictureAt(146, 100), kWhite);
}

TEST_F(Canvas, APressOutsideThePictureDrawsNothing) {
    EnlargeMainWindow();
    CanvasDrag(1, 700, 100, 760, 200);
    CanvasDrag(1, 660, 300, 600, 300); // starts in the grey, ends over the picture
    EXPECT_EQ(CountPixels(kRed), 0);
    EXPECT_EQ(MainCaption(), L"Untitled - Kolvex");
}

TEST_F(Canvas, CornerGripResizesAndDraggingPastTheOriginGivesOnePixel) {
    EnlargeMainWindow();
    CanvasDrag(1, 10, 10, 20, 10); // a mark that must survive at the top-left
    g_colors.background = RGB(0, 255, 0);
    CanvasPress(1, 641, 481);
    CanvasMove(680, 500, MK_LBUTTON);
    CanvasMove(701, 521, MK_LBUTTON);
    EXPECT_EQ(GetStatusText(kStatusDrag), L"700 x 520");
    EXPECT_EQ(g_canvas.width, 640) << "the picture changes only at the release";
    CanvasRelease(1, 701, 521);
    EXPECT_EQ(g_canvas.width, 700);
    EXPECT_EQ(g_canvas.height, 520);
    EXPECT_EQ(GetStatusText(kStatusDrag), L"");
    EXPECT_EQ(PictureAt(15, 10), kRed);
    EXPECT_EQ(PictureAt(639, 479), kWhite);
    EXPECT_EQ(PictureAt(650, 100), 0xFF00FF00u);
    EXPECT_EQ(PictureAt(100, 500), 0xFF00FF00u);

    CanvasPress(1, 700, 520);
    CanvasMove(-50, -80, MK_LBUTTON);
    CanvasRelease(1, -50, -80);
    EXPECT_EQ(g_canvas.width, 1);
    EXPECT_EQ(g_canvas.height, 1);
    EXPECT_EQ(PictureAt(0, 0), kWhite);
}

TEST_F(Canvas, RightAndBottomGripsChangeOneSide) {
    EnlargeMainWindow();
    CanvasPress(1, 640, 240);
    CanvasMove(600, 400, MK_LBUTTON);
    CanvasRelease(1, 600, 400);
    EXPECT_EQ(g_canvas.width, 600);
    EXPECT_EQ(g_canvas.height, 480);
    CanvasPress(1, 300, 480);
    CanvasMove(100, 530, MK_LBUTTON);
    CanvasRelease(1, 100, 530);
    EXPECT_EQ(g_canvas.width, 600);
    EXPECT_EQ(g_canvas.height, 530);
}

TEST_F(Canvas, SpaceDragPansALargePicture) {
    ASSERT_EQ(ResizeCanvasImage(2000, 1500, PixelFromColor(g_colors.background), false), ResizeResult::Done);
    SetFocus(g_app.canvas);
    Post(g_app.canvas, WM_KEYDOWN, VK_SPACE, 0x00390001);
    Post(g_app.canvas, WM_KEYDOWN, VK_SPACE, 0x40390001); // key repeat changes nothing
    EXPECT_TRUE(IsSpaceHeld());
    CanvasPress(1, 300, 300);
    EXPECT_TRUE(IsPanning());
    CanvasMove(250, 260, MK_LBUTTON);
    CanvasMove(200, 250, MK_LBUTTON);
    EXPECT_EQ(g_view.scrollX, 100);
    EXPECT_EQ(g_view.scrollY, 50);
    CanvasMove(5000, 5000, MK_LBUTTON); // clamped at the origin
    EXPECT_EQ(g_view.scrollX, 0);
    EXPECT_EQ(g_view.scrollY, 0);
    CanvasMove(-400, -300, MK_LBUTTON);
    CanvasRelease(1, -400, -300);
    EXPECT_FALSE(IsPanning());
    EXPECT_EQ(g_view.scrollX, 700);
    EXPECT_EQ(g_view.scrollY, 600);
    Post(g_app.canvas, WM_KEYUP, VK_SPACE, 0xC0390001);
    EXPECT_FALSE(IsSpaceHeld());
    EXPECT_EQ(CountPixels(kRed), 0) << "panning never draws";
}

TEST_F(Canvas, ReleasingSpaceEndsAPanInProgress) {
    ASSERT_EQ(ResizeCanvasImage(2000, 1500, PixelFromColor(g_colors.background), false), ResizeResult::Done);
    SetFocus(g_app.main);
    Post(g_app.main, WM_KEYDOWN, VK_SPACE, 0x00390001); // through the loop's own Space handling
    CanvasPress(1, 300, 300);
    ASSERT_TRUE(IsPanning());
    Post(g_app.main, WM_KEYUP, VK_SPACE, 0xC0390001);
    EXPECT_FALSE(IsPanning());
    EXPECT_FALSE(IsSpaceHeld());
    EXPECT_NE(GetCapture(), g_app.canvas);
    CanvasMove(200, 200, MK_LBUTTON);
    CanvasRelease(1, 200, 200);
    EXPECT_EQ(g_view.scrollX, 0);
    EXPECT_EQ(CountPixels(kRed), 0);
}

TEST_F(Canvas, ThreeRightClicksInTheGreyMakeATenByTenPicture) {
    EnlargeMainWindow();
    CanvasPress(2, 700, 100);
    CanvasPress(2, 710, 100);
    CanvasPress(1, 720, 100); // a left click restarts the count
    CanvasPress(2, 700, 100);
    CanvasPress(2, 700, 110);
    EXPECT_EQ(g_canvas.width, 640);
    CanvasPress(2, 700, 120);
    EXPECT_EQ(g_canvas.width, 10);
    EXPECT_EQ(g_canvas.height, 10);
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
}

TEST_F(Canvas, ALostCaptureEndsTheStroke) {
    CanvasPress(1, 50, 50);
    ASSERT_EQ(GetCapture(), g_app.canvas);
    ReleaseCapture(); // as when another window takes the mouse mid-drag
    PumpMessages();
    CanvasMove(120, 50, MK_LBUTTON);
    CanvasMove(150, 80, 0);
    EXPECT_EQ(CountPixels(kRed), 1) << "only the dot of the press";
}

TEST_F(Canvas, AMoveWithNoButtonDownDoesNotPaint) {
    CanvasPress(1, 50, 50);
    CanvasMove(120, 50, 0); // the release went elsewhere
    CanvasMove(150, 90, MK_LBUTTON);
    EXPECT_EQ(CountPixels(kRed), 1);
    EXPECT_NE(GetCapture(), g_app.canvas);
}

TEST_F(Canvas, WheelScrollsAndCtrlWheelZoomsAboutThePointer) {
    ASSERT_EQ(ResizeCanvasImage(2000, 1500, PixelFromColor(g_colors.background), false), ResizeResult::Done);
    auto wheel = [](int delta, WPARAM keys, int x, int y) {
        POINT p{x, y};
        ClientToScreen(g_app.canvas, &p);
        Post(g_app.canvas, WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(delta)), MAKELPARAM(p.x, p.y));
    };
    wheel(-240, 0, 10, 10);
    EXPECT_EQ(g_view.scrollY, 120);
    wheel(-30, MK_SHIFT, 10, 10);
    EXPECT_EQ(g_view.scrollX, 60);
    wheel(120, 0, 10, 10);
    EXPECT_EQ(g_view.scrollY, 60);
    const PicturePoint before = ClientToPicture(100, 50);
    wheel(120, MK_CONTROL, 100, 50);
    EXPECT_DOUBLE_EQ(g_view.zoom, 2.0);
    const PicturePoint after = ClientToPicture(100, 50);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    wheel(-120, MK_CONTROL, 100, 50);
    EXPECT_DOUBLE_EQ(g_view.zoom, 1.0);
}

TEST_F(Canvas, PointerPositionIsShownInPictureCoordinates) {
    CanvasMove(37, 21, 0);
    EXPECT_EQ(GetStatusText(kStatusPointer), L"37, 21");
    SetZoom(2.0, nullptr);
    CanvasMove(37, 21, 0);
    EXPECT_EQ(GetStatusText(kStatusPointer), L"18, 10");
}

TEST_F(Canvas, PaintShowsThePictureFramedOnGrey) {
    EnlargeMainWindow();
    CanvasDrag(1, 20, 20, 60, 20);
    RedrawWindow(g_app.canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(g_app.canvas);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 40, 20), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 640, 100), RGB(0, 0, 0)) << "frame";
    EXPECT_EQ(GetPixel(dc, 700, 100), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(dc, 642, 481), RGB(0, 0, 0)) << "corner grip";
    SetZoom(4.0, nullptr);
    RedrawWindow(g_app.canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(GetPixel(dc, 163, 83), RGB(255, 0, 0)) << "picture (40, 20) at 4x";
    EXPECT_EQ(GetPixel(dc, 163, 90), RGB(255, 255, 255));
    ReleaseDC(g_app.canvas, dc);
}

TEST_F(Canvas, GridLinesAreAtLeastThreeScreenPixelsApart) {
    EnlargeMainWindow();
    g_view.gridShown = true;
    g_view.gridSpacing = 1;
    SetZoom(0.125, nullptr);
    RedrawWindow(g_app.canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(g_app.canvas);
    // XOR white over white is black: lines every 24 picture pixels, i.e. every 3 screen pixels. Row 31 lies
    // between two horizontal lines (at 30 and 33).
    int lines = 0;
    for (int x = 0; x < 80; ++x)
        lines += GetPixel(dc, x, 31) == RGB(0, 0, 0);
    EXPECT_EQ(GetPixel(dc, 0, 31), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 3, 31), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 31), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 2, 31), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 1, 30), RGB(0, 0, 0)) << "horizontal line";
    EXPECT_EQ(lines, 27);
    ReleaseDC(g_app.canvas, dc);
}

} // namespace
