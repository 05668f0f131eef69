// The shape tools on the real canvas: presses, moves and releases posted to the canvas window, results read
// from the picture's pixels. The platform draws the primitives, so the checks look at what matters (the box,
// the outline and fill colours, the constraint, one undo level) rather than at every pixel of a wide pen.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>

#include "toolbox/tool_actions.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"
#include "tools/canvas_window.h"
#include "tools/shape_tools.h"
#include "toolbox/color_box.h"
#include "toolbox/tool_state.h"

namespace {

constexpr uint32_t kRed = 0xFF0000u;
constexpr uint32_t kBlue = 0x0000FFu;
constexpr uint32_t kWhite = 0xFFFFFFu;

class Shapes : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        EnlargeMainWindow();
        g_colors.background = RGB(0, 0, 255); // so a fill with Color 2 differs from the white picture
    }
};

// The smallest rectangle holding every pixel of the colour; right and bottom exclusive.
RECT BoundsOf(uint32_t rgb) {
    GdiFlush();
    RECT r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < g_canvas.height; ++y)
        for (int x = 0; x < g_canvas.width; ++x)
            if (PictureRgb(x, y) == rgb) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r;
}

bool InsideBox(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST_F(Shapes, BoxShapesUseTheFillStylesColoursAndStayInTheirBox) {
    struct Case {
        ToolId tool;
        int fillStyle;
        int button;
        uint32_t edge, centre; // just inside the top edge at its middle, and the centre
        bool cornerDrawn;      // the box's own corner pixel
    } cases[] = {
        {ToolId::Rectangle, 0, 1, kRed, kWhite, true},        {ToolId::Rectangle, 1, 1, kRed, kBlue, true},
        {ToolId::Rectangle, 2, 1, kRed, kRed, true},          {ToolId::Rectangle, 1, 2, kBlue, kRed, true},
        {ToolId::Ellipse, 0, 1, kRed, kWhite, false},         {ToolId::Ellipse, 1, 1, kRed, kBlue, false},
        {ToolId::Ellipse, 2, 2, kBlue, kBlue, false},         {ToolId::RoundedRectangle, 0, 1, kRed, kWhite, false},
        {ToolId::RoundedRectangle, 1, 2, kBlue, kRed, false}, {ToolId::RoundedRectangle, 2, 1, kRed, kRed, false},
    };
    g_tools.lineWidth = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.tool) * 10 + c.fillStyle);
        FreshWhitePicture();
        SetTool(c.tool);
        g_tools.fillStyle = c.fillStyle;
        const size_t levels = g_undo.undo.size();
        CanvasDrag(c.button, 100, 100, 220, 180, 5);
        EXPECT_EQ(g_undo.undo.size(), levels + 1);
        EXPECT_EQ(PictureRgb(160, 101), c.edge);
        EXPECT_EQ(PictureRgb(160, 140), c.centre);
        EXPECT_EQ(PictureRgb(100, 100) != kWhite, c.cornerDrawn);
        // Nothing beyond the box and half the pen.
        const RECT allowed{99, 99, 222, 182};
        if (c.edge == c.centre || c.fillStyle != 1) {
            EXPECT_TRUE(InsideBox(BoundsOf(c.edge), allowed));
        } else {
            EXPECT_TRUE(InsideBox(BoundsOf(kRed), allowed));
            EXPECT_TRUE(InsideBox(BoundsOf(kBlue), allowed));
        }
    }
}

TEST_F(Shapes, ShiftMakesSquaresCirclesAndFortyFiveDegreeLines) {
    g_tools.lineWidth = 1;
    SetTool(ToolId::Rectangle);
    CanvasPress(1, 100, 100);
    CanvasMove(160, 120, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(GetStatusText(kStatusDrag), L"60 x 60");
    Post(g_app.canvas, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(160, 120));
    RECT b = BoundsOf(kRed);
    EXPECT_EQ(b.right - b.left, b.bottom - b.top);
    EXPECT_EQ(b.left, 100);
    EXPECT_EQ(b.right - b.left, 60);

    // Dragged up and to the left the square grows away from the anchor.
    SetTool(ToolId::Ellipse);
    g_colors.background = RGB(255, 255, 255);
    ASSERT_TRUE(CreateCanvasImage(640, 480, PixelFromColor(g_colors.background)));
    CanvasPress(1, 300, 300);
    CanvasMove(280, 220, MK_LBUTTON | MK_SHIFT);
    Post(g_app.canvas, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(280, 220));
    b = BoundsOf(kRed);
    EXPECT_EQ(b.right - b.left, b.bottom - b.top) << "a circle";
    EXPECT_EQ(b.right, 300);
    EXPECT_EQ(b.left, 220);

    SetTool(ToolId::Line);
    struct LineCase {
        int dx, dy;
        int ex, ey; // the constrained end
    } lines[] = {{60, 25, 60, 0}, {60, 40, 40, 40}, {-10, 70, 0, 70}};
    for (const LineCase& l : lines) {
        ASSERT_TRUE(CreateCanvasImage(640, 480, PixelFromColor(g_colors.background)));
        CanvasPress(1, 200, 200);
        CanvasMove(200 + l.dx, 200 + l.dy, MK_LBUTTON | MK_SHIFT);
        Post(g_app.canvas, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(200 + l.dx, 200 + l.dy));
        // A 1-pixel line leaves out its last pixel, as the platform draws lines.
        const int sx = (l.ex > 0) - (l.ex < 0), sy = (l.ey > 0) - (l.ey < 0);
        EXPECT_EQ(PictureRgb(200 + l.ex - sx, 200 + l.ey - sy), kRed) << l.dx << "," << l.dy;
        EXPECT_EQ(PictureRgb(200 + l.ex / 2, 200 + l.ey / 2), kRed);
        if (l.ex != l.dx || l.ey != l.dy) {
            EXPECT_EQ(PictureRgb(200 + l.dx, 200 + l.dy), kWhite);
        }
    }
}

TEST_F(Shapes, ArrowheadIsAFilledTriangleAtTheEnd) {
    SetTool(ToolId::Line);
    g_colors.background = RGB(255, 255, 255);
    g_tools.lineWidth = 2;
    for (bool arrow : {false, true}) {
        ASSERT_TRUE(CreateCanvasImage(640, 480, PixelFromColor(g_colors.background)));
        g_tools.arrowHead = arrow;
        CanvasDrag(1, 100, 200, 300, 200);
        // Width 2: a head 14 long and 7 wide each way, so (292, 203) is inside it and off the shaft.
        EXPECT_EQ(PictureRgb(292, 203) == kRed, arrow);
        EXPECT_EQ(PictureRgb(292, 197) == kRed, arrow);
        EXPECT_EQ(PictureRgb(200, 200), kRed);
        EXPECT_EQ(PictureRgb(310, 200), kWhite);
    }
}

TEST_F(Shapes, PolygonOfThreeClicksClosesOnADoubleClickAndUndoTakesBackVertices) {
    SetTool(ToolId::Polygon);
    g_tools.lineWidth = 1;
    g_tools.fillStyle = 2; // fill only: the polygon takes the other colour, Color 2
    const size_t levels = g_undo.undo.size();
    CanvasDrag(1, 100, 100, 300, 100); // first edge
    CanvasPress(1, 300, 300);          // a click adds the third vertex
    CanvasRelease(1, 300, 300);
    EXPECT_TRUE(IsPolygonInProgress());
    EXPECT_EQ(CountPixelsOtherThan(kWhite), 0) << "nothing is drawn before the polygon closes";
    // A real double-click whose first click moved a pixel, so that it adds the fourth vertex instead of closing
    // by a click in place: press, release, then the double-click message closes, then the last release.
    CanvasPress(1, 100, 301);
    CanvasRelease(1, 100, 300);
    ASSERT_TRUE(IsPolygonInProgress()) << "still open: only the double-click can close it now";
    Post(g_app.canvas, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 300));
    EXPECT_FALSE(IsPolygonInProgress());
    CanvasRelease(1, 100, 300);
    EXPECT_FALSE(IsPolygonInProgress());
    EXPECT_EQ(g_undo.undo.size(), levels + 1);
    EXPECT_EQ(PictureRgb(250, 150), kBlue) << "inside the four vertices";
    EXPECT_EQ(PictureRgb(150, 250), kBlue);
    EXPECT_EQ(PictureRgb(350, 250), kWhite) << "outside them";

    // Undo of an unfinished polygon: the last vertex, then with two left the whole polygon; the picture stays.
    g_tools.fillStyle = 0;
    CanvasDrag(1, 400, 100, 500, 100);
    CanvasDrag(1, 500, 200, 500, 210);
    const size_t before = g_undo.undo.size();
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_TRUE(IsPolygonInProgress());
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_FALSE(IsPolygonInProgress());
    EXPECT_EQ(g_undo.undo.size(), before);
    EXPECT_EQ(PictureRgb(250, 150), kBlue) << "the earlier polygon is untouched";
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(PictureRgb(250, 150), kWhite) << "only now the picture goes back";
}

TEST_F(Shapes, PolygonDragsAddVerticesAndAClickNearTheStartCloses) {
    SetTool(ToolId::Polygon);
    g_tools.lineWidth = 1;
    g_tools.fillStyle = 1;
    CanvasDrag(2, 100, 100, 200, 100); // right button: outline Color 2, filled with Color 1
    CanvasDrag(2, 200, 100, 200, 200);
    CanvasDrag(2, 200, 200, 100, 200);
    CanvasDrag(2, 100, 200, 103, 104); // released within 6 pixels of the first vertex
    EXPECT_FALSE(IsPolygonInProgress());
    EXPECT_EQ(PictureRgb(150, 150), kRed);
    EXPECT_EQ(PictureRgb(150, 100), kBlue);
    EXPECT_EQ(PictureRgb(100, 150), kBlue);
}

TEST_F(Shapes, CurveBendsInTwoStagesAndDrawsOnceAtTheEnd) {
    SetTool(ToolId::Curve);
    g_tools.lineWidth = 5;
    const size_t levels = g_undo.undo.size();
    CanvasDrag(1, 100, 300, 300, 300);
    EXPECT_EQ(CurveStage(), 1);
    CanvasDrag(1, 200, 200, 200, 200);
    EXPECT_EQ(CurveStage(), 2);
    EXPECT_EQ(CountPixelsOtherThan(kWhite), 0);
    EXPECT_EQ(g_undo.undo.size(), levels);
    CanvasDrag(1, 200, 200, 200, 200);
    EXPECT_EQ(CurveStage(), 0);
    EXPECT_EQ(g_undo.undo.size(), levels + 1);
    // Both bends at (200, 200): the middle of the curve is at (200, 225), well above the straight line.
    EXPECT_EQ(PictureRgb(200, 225), kRed);
    EXPECT_EQ(PictureRgb(200, 300), kWhite);
    EXPECT_EQ(PictureRgb(100, 300), kRed);
    EXPECT_EQ(PictureRgb(300, 300), kRed);

    // Esc between stages abandons the curve.
    CanvasDrag(1, 100, 100, 300, 100);
    Post(g_app.canvas, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(CurveStage(), 0);
}

TEST_F(Shapes, DragShowsAZoomedPreviewAndTheSizeButLeavesThePictureAlone) {
    SetZoom(4.0, nullptr);
    SetTool(ToolId::Rectangle);
    g_tools.lineWidth = 2;
    CanvasPress(1, 40, 40); // picture (10, 10)
    CanvasMove(120, 80, MK_LBUTTON);
    CanvasMove(160, 100, MK_LBUTTON); // picture (40, 25)
    EXPECT_EQ(GetStatusText(kStatusDrag), L"30 x 15");
    EXPECT_EQ(CountPixelsOtherThan(kWhite), 0);
    RedrawWindow(g_app.canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(g_app.canvas);
    // The top edge at content y 40 is drawn with an 8-pixel pen: red from 37 to 43, white well inside.
    EXPECT_EQ(GetPixel(dc, 100, 37), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 100, 43), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 100, 50), RGB(255, 255, 255));
    ReleaseDC(g_app.canvas, dc);
    CanvasRelease(1, 160, 100);
    EXPECT_EQ(GetStatusText(kStatusDrag), L"");
    EXPECT_EQ(PictureRgb(20, 10), kRed);
}

} // namespace
