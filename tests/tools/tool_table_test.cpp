// The tool table and the canvas around it: what each tool's row does when no drag is in progress, shapes that
// are forgotten while their button is held, and the repaint that takes a forgotten rubber band off the screen.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "support/app_fixture.h"
#include "tools/shape_tools.h"
#include "tools/tool_row.h"
#include "toolbox/tool_actions.h"

namespace {

constexpr COLORREF kScreenRed = RGB(255, 0, 0);
constexpr COLORREF kScreenWhite = RGB(255, 255, 255);

class ToolTable : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        EnlargeMainWindow();
        g_tools.lineWidth = 3;
    }
};

std::vector<uint32_t> PictureBytes() {
    GdiFlush();
    return std::vector<uint32_t>(g_canvas.pixels, g_canvas.pixels + g_canvas.width * g_canvas.height);
}

// What the canvas window shows now at a client point, after any repaint it was asked for: not a repaint of its
// own, which would hide a missing one.
COLORREF Screen(int x, int y) {
    PumpMessages();
    UpdateWindow(g_app.canvas);
    HDC dc = GetDC(g_app.canvas);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(g_app.canvas, dc);
    return c;
}

void Key(UINT vk) { Post(g_app.canvas, WM_KEYDOWN, vk, 0x00010001); }

TEST_F(ToolTable, WithoutADragNoToolsMoveReleaseCancelOrOwnDoubleClickChangesAnything) {
    for (int k = 0; k < kToolCount; ++k) {
        SCOPED_TRACE(testing::Message() << "tool " << k);
        SetTool(static_cast<ToolId>(k));
        ASSERT_EQ(static_cast<int>(g_tools.currentTool), k);
        for (int i = 0; i < g_canvas.width * g_canvas.height; ++i)
            g_canvas.pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
        const std::vector<uint32_t> before = PictureBytes();
        const size_t depth = g_undo.undo.size();
        SetStatusText(kStatusDrag, L"3 x 4");
        CanvasMove(200, 150, 0);
        Post(g_app.canvas, WM_LBUTTONUP, 0, MAKELPARAM(200, 150));
        Post(g_app.canvas, WM_RBUTTONUP, 0, MAKELPARAM(210, 160));
        Post(g_app.canvas, WM_CANCELMODE);
        if (ToolRowOf(static_cast<ToolId>(k)).doubleClick) { // the others take a double click as a press
            Post(g_app.canvas, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 150));
            Post(g_app.canvas, WM_LBUTTONUP, 0, MAKELPARAM(200, 150));
        }
        EXPECT_TRUE(PictureBytes() == before);
        EXPECT_EQ(g_undo.undo.size(), depth);
        EXPECT_EQ(GetStatusText(kStatusDrag), L"3 x 4");
        EXPECT_EQ(static_cast<int>(g_tools.currentTool), k);
    }
}

// The second press of a quick double click arrives as WM_LBUTTONDBLCLK, not as a button-down.
void QuickDoubleClick(int x1, int x2, int y) {
    Post(g_app.canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x1, y));
    Post(g_app.canvas, WM_LBUTTONUP, 0, MAKELPARAM(x1, y));
    Post(g_app.canvas, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x2, y));
    Post(g_app.canvas, WM_LBUTTONUP, 0, MAKELPARAM(x2, y));
}

TEST_F(ToolTable, TheSecondPressOfAQuickDoubleClickDrawsButNotAfterThePickerChangedTheTool) {
    FreshWhitePicture();
    SetTool(ToolId::Pencil);
    g_colors.foreground = RGB(255, 0, 0);
    const size_t depth = g_undo.undo.size();
    QuickDoubleClick(100, 102, 100);
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 2);
    const PicturePoint second = ClientToPicture(102, 100);
    EXPECT_EQ(PictureRgb(second.x, second.y), 0xFF0000u);
    EXPECT_EQ(g_undo.undo.size(), depth + 2) << "one level a dot";

    SetTool(ToolId::PickColor); // picks white and goes back to the pencil at the first press
    QuickDoubleClick(200, 202, 200);
    EXPECT_EQ(static_cast<int>(g_tools.currentTool), static_cast<int>(ToolId::Pencil));
    EXPECT_EQ(g_colors.foreground, RGB(255, 255, 255));
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 2);
    EXPECT_EQ(g_undo.undo.size(), depth + 2);
}

TEST_F(ToolTable, AShapeForgottenWhileItsButtonIsHeldAddsNothingAtTheRelease) {
    struct Case {
        ToolId tool;
        UINT key; // Esc, or a tool letter
    } cases[] = {
        {ToolId::Polygon, VK_ESCAPE}, {ToolId::Polygon, 'E'}, {ToolId::Curve, VK_ESCAPE}, {ToolId::Curve, 'L'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.tool) << " " << c.key);
        FreshWhitePicture();
        SetTool(c.tool);
        const size_t depth = g_undo.undo.size();
        if (c.tool == ToolId::Curve) CanvasDrag(1, 100, 300, 300, 300); // the first stage, then the bend held
        CanvasPress(1, 100, 100);
        CanvasMove(200, 150, MK_LBUTTON);
        Key(c.key);
        CanvasRelease(1, 300, 100);
        EXPECT_FALSE(IsPolygonInProgress());
        EXPECT_EQ(CurveStage(), 0);
        EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0);
        EXPECT_EQ(g_undo.undo.size(), depth);
        EXPECT_EQ(Screen(200, 100), kScreenWhite) << "no rubber band left on the screen";
    }
}

// A polygon A(100, 100) - B(300, 100) - C(300, 300) with the pointer at (150, 300): the rubber band shows B-C.
void StartPolygon() {
    SetTool(ToolId::Polygon);
    g_tools.fillStyle = 0;
    CanvasDrag(1, 100, 100, 300, 100);
    CanvasPress(1, 300, 298);
    CanvasMove(300, 300, MK_LBUTTON);
    CanvasRelease(1, 300, 300);
    CanvasMove(150, 300, 0);
}

TEST_F(ToolTable, UndoEscapeAndAToolChangeTakeAForgottenRubberBandOffTheScreen) {
    StartPolygon();
    ASSERT_EQ(Screen(300, 200), kScreenRed) << "the edge B-C is shown";
    Post(g_app.main, WM_COMMAND, 201); // takes back C
    EXPECT_TRUE(IsPolygonInProgress());
    EXPECT_EQ(Screen(300, 200), kScreenWhite);
    EXPECT_EQ(Screen(200, 100), kScreenRed) << "A-B is still being built";
    Key(VK_ESCAPE);
    EXPECT_FALSE(IsPolygonInProgress());
    EXPECT_EQ(Screen(200, 100), kScreenWhite);

    StartPolygon();
    ASSERT_EQ(Screen(200, 100), kScreenRed);
    SetTool(ToolId::Ellipse);
    EXPECT_EQ(Screen(200, 100), kScreenWhite);

    // A curve past its first stage bends towards the pointer: its middle is at (200, 325).
    SetTool(ToolId::Curve);
    CanvasDrag(1, 100, 400, 300, 400);
    CanvasMove(200, 300, 0);
    ASSERT_EQ(Screen(200, 325), kScreenRed);
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(CurveStage(), 0);
    EXPECT_EQ(Screen(200, 325), kScreenWhite);
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0) << "none of this touched the picture";
}

} // namespace
