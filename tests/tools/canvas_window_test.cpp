#include <windows.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

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

// The client area as the window shows it, top-down 0x00RRGGBB.
std::vector<uint32_t> ClientPixels(HDC from, int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(bi.bmiHeader), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(from);
    HBITMAP dib = CreateDIBSection(from, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, from, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> px(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + w * h);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    for (uint32_t& p : px)
        p &= 0xFFFFFF;
    return px;
}

// The canvas as the system's own stretch and a one-pixel XOR pen draw it: the reference the program's own painting
// at whole-number zooms must match pixel for pixel.
std::vector<uint32_t> SystemRendering(HDC like, int w, int h) {
    HDC mem = CreateCompatibleDC(like);
    HBITMAP bitmap = CreateCompatibleBitmap(like, w, h);
    HGDIOBJ old = SelectObject(mem, bitmap);
    HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
    const RECT all{0, 0, w, h};
    FillRect(mem, &all, grey);
    DeleteObject(grey);
    SetViewportOrgEx(mem, -g_view.scrollX, -g_view.scrollY, nullptr);
    const double z = g_view.zoom;
    const int zw = ZoomedExtent(z, g_canvas.width), zh = ZoomedExtent(z, g_canvas.height);
    const RECT frame{-1, -1, zw + 1, zh + 1};
    FrameRect(mem, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const int x0 = static_cast<int>(g_view.scrollX / z), y0 = static_cast<int>(g_view.scrollY / z);
    const int x1 = std::min<int>(g_canvas.width, static_cast<int>(std::ceil((g_view.scrollX + w) / z)));
    const int y1 = std::min<int>(g_canvas.height, static_cast<int>(std::ceil((g_view.scrollY + h) / z)));
    const int zoom = static_cast<int>(z);
    GdiFlush();
    SetStretchBltMode(mem, COLORONCOLOR);
    StretchBlt(mem, x0 * zoom, y0 * zoom, (x1 - x0) * zoom, (y1 - y0) * zoom, g_canvas.memDC, x0, y0, x1 - x0, y1 - y0,
               SRCCOPY);
    if (g_view.gridShown) {
        int g = std::max(1, g_view.gridSpacing);
        if (zoom * g < 3) g = static_cast<int>(std::ceil(3.0 / (zoom * g))) * g;
        const int xs = g * (x0 / g), ys = g * (y0 / g);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
        HGDIOBJ oldPen = SelectObject(mem, pen);
        SetROP2(mem, R2_XORPEN);
        for (int x = xs; x <= x1; x += g) {
            MoveToEx(mem, x * zoom, ys * zoom, nullptr);
            LineTo(mem, x * zoom, y1 * zoom + 1);
        }
        for (int y = ys; y <= y1; y += g) {
            MoveToEx(mem, xs * zoom, y * zoom, nullptr);
            LineTo(mem, x1 * zoom + 1, y * zoom);
        }
        SelectObject(mem, oldPen);
        DeleteObject(pen);
    }
    const RECT grips[3] = {
        {zw, zh / 2 - 2, zw + 4, zh / 2 + 2}, {zw / 2 - 2, zh, zw / 2 + 2, zh + 4}, {zw, zh, zw + 4, zh + 4}};
    for (const RECT& r : grips)
        FillRect(mem, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetViewportOrgEx(mem, 0, 0, nullptr);
    std::vector<uint32_t> px = ClientPixels(mem, w, h);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    return px;
}

// At every whole-number zoom of the menu, with the grid at two spacings and scrolled to the picture's middle and
// its far corner, the canvas shows exactly what the system's stretch and pen would have drawn.
TEST_F(Canvas, WholeNumberZoomsShowWhatTheSystemWouldDrawWithAndWithoutTheGrid) {
    EnlargeMainWindow();
    ASSERT_TRUE(CreateCanvasImage(300, 200, kWhite));
    std::mt19937 rng(99u);
    for (int i = 0; i < g_canvas.width * g_canvas.height; ++i)
        g_canvas.pixels[i] = 0xFF000000u | (rng() & 0xFFFFFF);
    RECT rc;
    GetClientRect(g_app.canvas, &rc);
    struct Case {
        double zoom;
        bool grid;
        int spacing;
        bool farCorner;
    } cases[] = {{2, true, 1, false}, {2, false, 1, true},  {4, true, 4, false}, {6, true, 1, true},
                 {8, true, 2, false}, {16, true, 1, false}, {16, true, 1, true}, {16, false, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("zoom " + std::to_string(static_cast<int>(c.zoom)) +
                     (c.grid ? " grid " + std::to_string(c.spacing) : "") + (c.farCorner ? " far corner" : " middle"));
        SetZoom(c.zoom, nullptr);
        g_view.gridShown = c.grid;
        g_view.gridSpacing = c.spacing;
        const int zw = ZoomedExtent(c.zoom, 300), zh = ZoomedExtent(c.zoom, 200);
        g_view.scrollX = c.farCorner ? zw : zw / 2 + 3;
        g_view.scrollY = c.farCorner ? zh : zh / 2 + 5;
        ClampScroll();
        RedrawWindow(g_app.canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = GetDC(g_app.canvas);
        const std::vector<uint32_t> shown = ClientPixels(dc, rc.right, rc.bottom);
        const std::vector<uint32_t> expected = SystemRendering(dc, rc.right, rc.bottom);
        ReleaseDC(g_app.canvas, dc);
        int differ = 0;
        for (size_t i = 0; i < shown.size(); ++i)
            differ += shown[i] != expected[i];
        EXPECT_EQ(differ, 0);
    }
}

} // namespace
