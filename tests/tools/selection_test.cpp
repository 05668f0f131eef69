// Selections on the real canvas: made by the Select and Free-Form Select tools, lifted at the first move, moved,
// resized by their handles, and stamped or dropped by whatever settles them. Holes are checked against Color 2,
// which is blue here, never white.
#include <windows.h>

#include <string>
#include <vector>

#include "base/app_windows.h"
#include "base/loaders.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "files/file_commands.h"
#include "support/app_fixture.h"
#include "tools/selection.h"
#include "toolbox/colors.h"
#include "toolbox/tool_actions.h"

namespace {

constexpr uint32_t kBlue = 0x0000FFu;

// Every pixel of a picture up to 768 x 512 distinct: red = x / 3, green = y / 2, blue = 77 + x % 3 + 3 * (y % 2)
// (never pure blue 255).
uint32_t Pattern(int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x / 3 % 256) << 16 | static_cast<uint32_t>(y / 2 % 256) << 8 |
           static_cast<uint32_t>(77 + x % 3 + 3 * (y % 2));
}

class Selections : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        EnlargeMainWindow();
        g_colors.background = RGB(0, 0, 255);
        PaintPattern();
        SetTool(ToolId::Select);
    }
    void TearDown() override {
        g_createDibSection = &CreateDIBSection;
        g_msimg32Lookup = {};
        AppFixture::TearDown();
    }
    static void PaintPattern() {
        GdiFlush();
        for (int y = 0; y < g_canvas.height; ++y)
            for (int x = 0; x < g_canvas.width; ++x)
                WritePixel(CanvasPixels(), x, y, Pattern(x, y));
    }
};

HBITMAP WINAPI RefuseDib(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) { return nullptr; }

size_t Depth() { return g_undo.undo.size(); }
void Escape() { Post(g_app.canvas, WM_KEYDOWN, VK_ESCAPE, 0x00010001); }

COLORREF Screen(int x, int y) { return RepaintedCanvasPixel(x, y); }

COLORREF ScreenOf(uint32_t pixel) { return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF); }

TEST_F(Selections, ASelectDragOfTwoByTwoIsTheSmallestAndMakesNoLevel) {
    CanvasDrag(1, 10, 10, 11, 40);
    EXPECT_FALSE(HasSelection()) << "one pixel wide";
    CanvasDrag(1, 10, 10, 40, 11);
    EXPECT_FALSE(HasSelection()) << "one pixel high";
    const size_t depth = Depth();
    CanvasDrag(1, 12, 10, 10, 12);
    ASSERT_TRUE(HasSelection());
    EXPECT_EQ(g_selection.left, 10);
    EXPECT_EQ(g_selection.right, 12) << "the release column is not part of it";
    EXPECT_EQ(g_selection.width, 2);
    EXPECT_FALSE(g_selection.lifted);
    EXPECT_EQ(Depth(), depth);
    EXPECT_FALSE(g_document.modified);
}

TEST_F(Selections, MovingLiftsOnceAndEscapeStampsItWhereItWasDropped) {
    CanvasDrag(1, 100, 100, 140, 130);
    const size_t depth = Depth();
    CanvasDrag(1, 110, 110, 310, 210); // press inside, then move by (200, 100)
    EXPECT_TRUE(g_selection.lifted);
    EXPECT_EQ(Depth(), depth + 1) << "one level at the lift";
    CanvasDrag(1, 320, 220, 330, 230); // a second move records nothing
    EXPECT_EQ(Depth(), depth + 1);
    EXPECT_EQ(g_selection.left, 310);
    EXPECT_EQ(PictureRgb(100, 100), kBlue) << "the hole is Color 2 while it floats";
    Escape();
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(Depth(), depth + 1) << "the commit records none";
    EXPECT_TRUE(g_document.modified);
    EXPECT_EQ(PictureAt(310, 210), Pattern(100, 100));
    EXPECT_EQ(PictureAt(349, 239), Pattern(139, 129));
    EXPECT_EQ(PictureRgb(139, 129), kBlue);
    EXPECT_EQ(PictureAt(350, 240), Pattern(350, 240)) << "nothing beyond it";
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(PictureAt(100, 100), Pattern(100, 100)) << "one Undo brings back the picture before the lift";
    EXPECT_EQ(PictureAt(310, 210), Pattern(310, 210));
}

TEST_F(Selections, AMovePartlyOffThePictureStampsOnlyThePartInside) {
    CanvasDrag(1, 600, 10, 640, 30);
    CanvasDrag(1, 610, 15, 630, 15); // 20 to the right: 20 columns hang off
    Escape();
    EXPECT_EQ(PictureAt(620, 10), Pattern(600, 10));
    EXPECT_EQ(PictureAt(639, 29), Pattern(619, 29));
    EXPECT_EQ(PictureRgb(610, 20), kBlue) << "the hole";
}

// The bottom-right, right and bottom handles of a Select All lie under the canvas grips, which take the press
// first; the top-right and bottom-left ones stretch it.
TEST_F(Selections, SelectAllResizedByAHandleResizesThePicture) {
    Post(g_app.main, WM_COMMAND, 207);
    ASSERT_TRUE(HasSelection());
    EXPECT_EQ(g_tools.currentTool, ToolId::Select);
    const size_t depth = Depth();
    CanvasDrag(1, 640, 0, 800, 0, 8); // handle 3 to the right
    EXPECT_EQ(Depth(), depth + 1) << "the lift's level only";
    EXPECT_EQ(g_canvas.width, 800);
    EXPECT_EQ(g_canvas.height, 480);
    EXPECT_EQ(g_selection.width, 800);
    CanvasDrag(1, 0, 480, 0, 600, 8); // handle 7 down
    EXPECT_EQ(g_canvas.height, 600);
    EXPECT_EQ(Depth(), depth + 1);
    Escape();
    // Stretched by the one sampler: destination x takes source x * 640 / 800, y likewise.
    EXPECT_EQ(PictureAt(799, 599), Pattern(639, 479));
    EXPECT_EQ(PictureAt(400, 300), Pattern(320, 240));
    EXPECT_EQ(PictureAt(5, 5), Pattern(4, 4));
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(g_canvas.width, 640) << "one Undo gives the picture before the lift";
    EXPECT_EQ(PictureAt(639, 479), Pattern(639, 479));
}

TEST_F(Selections, AHandlePastThePictureGrowsItAndCrossingEdgesKeepsASizeOfOne) {
    CanvasDrag(1, 600, 400, 620, 420);
    CanvasDrag(1, 620, 420, 700, 460, 4); // the bottom-right handle, out past the corner
    EXPECT_EQ(g_canvas.width, 700);
    EXPECT_EQ(g_canvas.height, 480);
    EXPECT_EQ(g_selection.right - g_selection.left, 100);
    Escape();
    EXPECT_EQ(PictureAt(699, 459), Pattern(619, 419));
    EXPECT_EQ(PictureRgb(680, 470), kBlue) << "the new strip is Color 2";
    CanvasDrag(1, 100, 100, 150, 150);
    CanvasDrag(1, 150, 150, 20, 20, 6); // handle 5 across handle 1
    EXPECT_GE(g_selection.right - g_selection.left, 1);
    EXPECT_GE(g_selection.bottom - g_selection.top, 1);
    EXPECT_EQ(g_selection.width, 1);
}

TEST_F(Selections, TransparencyLeavesOutColorTwoOnScreenAndWhenStamped) {
    // A patch of Color 2 inside the selection.
    for (int y = 50; y < 60; ++y)
        for (int x = 50; x < 60; ++x)
            WritePixel(CanvasPixels(), x, y, 0xFF0000FFu);
    CanvasDrag(1, 40, 40, 80, 80);
    Post(g_app.main, WM_COMMAND, 406);
    ASSERT_TRUE(g_tools.selectionTransparent);
    CanvasDrag(1, 45, 45, 245, 45); // moved 200 to the right
    EXPECT_EQ(Screen(255, 55), ScreenOf(Pattern(255, 55))) << "the picture shows through";
    EXPECT_EQ(Screen(265, 65), ScreenOf(Pattern(65, 65)));
    Escape();
    EXPECT_EQ(PictureAt(255, 55), Pattern(255, 55));
    EXPECT_EQ(PictureAt(265, 65), Pattern(65, 65));
    // Without msimg32 the program's own copy draws it the same way.
    g_msimg32Lookup = {"kolvex_missing_msimg32.dll", false, {}};
    CanvasDrag(1, 300, 300, 340, 340);
    for (int y = 310; y < 320; ++y)
        for (int x = 310; x < 320; ++x)
            WritePixel(CanvasPixels(), x, y, 0xFF0000FFu);
    CanvasDrag(1, 305, 305, 405, 305);
    EXPECT_EQ(Screen(415, 315), ScreenOf(Pattern(415, 315)));
    EXPECT_EQ(Screen(425, 325), ScreenOf(Pattern(325, 325)));
}

TEST_F(Selections, DeleteClearsANeverMovedSelectionWithALevelAndDiscardsALiftedOne) {
    CanvasDrag(1, 10, 10, 30, 30);
    const size_t depth = Depth();
    Post(g_app.main, WM_COMMAND, 206);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(Depth(), depth + 1);
    EXPECT_EQ(PictureRgb(10, 10), kBlue);
    EXPECT_EQ(PictureRgb(29, 29), kBlue);
    EXPECT_EQ(PictureAt(30, 30), Pattern(30, 30));
    CanvasDrag(1, 100, 100, 120, 120);
    CanvasDrag(1, 105, 105, 205, 105);
    Post(g_app.main, WM_COMMAND, 206);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(Depth(), depth + 2) << "only the lift's";
    EXPECT_EQ(PictureRgb(100, 100), kBlue) << "where it was taken from";
    EXPECT_EQ(PictureAt(200, 100), Pattern(200, 100)) << "the image is discarded";
}

TEST_F(Selections, AFreeFormSelectionCarriesOnlyItsOutline) {
    SetTool(ToolId::FreeFormSelect);
    CanvasDrag(1, 10, 10, 12, 12, 1);
    EXPECT_FALSE(HasSelection()) << "a lasso of two points";
    // A triangle (100, 100) (160, 100) (100, 160).
    CanvasPress(1, 100, 100);
    CanvasMove(160, 100, MK_LBUTTON);
    CanvasMove(100, 160, MK_LBUTTON);
    CanvasRelease(1, 100, 160);
    ASSERT_TRUE(HasSelection());
    EXPECT_FALSE(g_selection.mask.empty());
    EXPECT_EQ(g_selection.width, 61);
    // Moved 300 to the right: the padding round the shape shows no box of Color 2.
    CanvasDrag(1, 105, 105, 405, 105);
    EXPECT_EQ(Screen(455, 155), ScreenOf(Pattern(455, 155))) << "outside the outline";
    EXPECT_EQ(Screen(410, 110), ScreenOf(Pattern(110, 110)));
    EXPECT_EQ(PictureRgb(110, 110), kBlue) << "the hole";
    EXPECT_EQ(PictureAt(155, 155), Pattern(155, 155)) << "outside the outline nothing was lifted";
    Escape();
    EXPECT_EQ(PictureAt(455, 155), Pattern(455, 155));
    EXPECT_EQ(PictureAt(410, 110), Pattern(110, 110));
}

TEST_F(Selections, ALassoFarOffThePictureAtTheSmallestZoomIsClippedToIt) {
    SetTool(ToolId::FreeFormSelect);
    SetZoom(0.01, nullptr);
    ASSERT_LT(g_view.zoom, 0.03);
    CanvasPress(1, 5, 2);
    CanvasMove(-30000, 3, MK_LBUTTON);
    CanvasMove(-30000, 9, MK_LBUTTON);
    CanvasMove(8, 9, MK_LBUTTON);
    CanvasRelease(1, 8, 9);
    ASSERT_TRUE(HasSelection());
    EXPECT_EQ(g_selection.left, 0);
    EXPECT_LE(g_selection.right, g_canvas.width);
    EXPECT_EQ(g_selection.mask.size(), static_cast<size_t>(g_selection.width) * g_selection.height);
}

TEST_F(Selections, ALostCaptureEndsAMoveWhereItIsAndMakesNoNewSelection) {
    CanvasDrag(1, 100, 100, 120, 120);
    CanvasPress(1, 105, 105);
    CanvasMove(155, 105, MK_LBUTTON);
    Post(g_app.canvas, WM_CANCELMODE);
    EXPECT_FALSE(g_selection.moving);
    EXPECT_EQ(g_selection.left, 150);
    CanvasMove(300, 300, 0);
    EXPECT_EQ(g_selection.left, 150);
    Escape();
    // A Select drag that loses the capture selects nothing.
    CanvasPress(1, 10, 10);
    CanvasMove(50, 50, MK_LBUTTON);
    Post(g_app.canvas, WM_CANCELMODE);
    EXPECT_FALSE(HasSelection());
}

// Each of these settles a moved selection by stamping it.
TEST_F(Selections, WhatSettlesStampsAMovedSelection) {
    struct Case {
        const char* what;
        void (*act)();
    } cases[] = {
        {"a tool change", [] { SetTool(ToolId::Pencil); }},
        {"Escape", [] { Escape(); }},
        {"a press outside it", [] { CanvasPress(1, 500, 400), CanvasRelease(1, 500, 400); }},
        {"a new selection", [] { CanvasDrag(1, 500, 400, 520, 420); }},
        {"a press on a grip", [] { CanvasDrag(1, 642, 482, 642, 482); }},
        {"the triple right-click",
         [] {
             for (int i = 0; i < 3; ++i)
                 CanvasPress(2, 700, 100), CanvasRelease(2, 700, 100);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (g_canvas.width != 640) {
            ASSERT_TRUE(CreateCanvasImage(640, 480, 0xFFFFFFFFu));
        }
        PaintPattern();
        SetTool(ToolId::Select);
        CanvasDrag(1, 10, 10, 30, 30);
        CanvasDrag(1, 15, 15, 115, 15);
        ASSERT_TRUE(g_selection.lifted);
        c.act();
        EXPECT_FALSE(g_selection.lifted && g_selection.left == 110);
        if (g_canvas.width == 640) {
            EXPECT_EQ(PictureAt(110, 10), Pattern(10, 10));
        }
    }
}

TEST_F(Selections, CommandsOfTheTextStrengthLeaveItFloating) {
    CanvasDrag(1, 10, 10, 30, 30);
    CanvasDrag(1, 15, 15, 115, 15);
    for (int id : {204, 406, 406, 306, 305}) {
        Post(g_app.main, WM_COMMAND, id);
        EXPECT_TRUE(g_selection.lifted) << id;
        EXPECT_EQ(g_selection.left, 110) << id;
    }
    EXPECT_EQ(PictureRgb(110, 10), PictureRgb(110, 10) & 0xFFFFFF);
    EXPECT_EQ(PictureAt(110, 10), Pattern(110, 10)) << "nothing stamped";
}

TEST_F(Selections, UndoAndRedoDropItOnlyOnceTheLevelIsBack) {
    CanvasDrag(1, 10, 10, 30, 30);
    CanvasDrag(1, 15, 15, 115, 15);
    // Across a size change, a restore that cannot make its surface keeps everything as it was.
    const size_t depth = Depth();
    ASSERT_EQ(ResizeCanvasImage(700, 480, PixelFromColor(g_colors.background), true), ResizeResult::Done);
    ASSERT_TRUE(g_selection.lifted);
    g_createDibSection = &RefuseDib;
    Post(g_app.main, WM_COMMAND, 201);
    g_createDibSection = &CreateDIBSection;
    EXPECT_TRUE(g_selection.lifted) << "still floating";
    EXPECT_EQ(g_canvas.width, 700);
    EXPECT_EQ(Depth(), depth + 1);
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(g_canvas.width, 640);
    // The level recorded while it floated holds it stamped.
    EXPECT_EQ(PictureAt(110, 10), Pattern(10, 10));
    EXPECT_EQ(PictureRgb(10, 10), kBlue);
}

TEST_F(Selections, ACropWhileItFloatsLeavesALevelWithItStamped) {
    CanvasDrag(1, 10, 10, 30, 30);
    CanvasDrag(1, 15, 15, 115, 15); // now (110, 10)-(130, 30)
    const size_t depth = Depth();
    Post(g_app.main, WM_COMMAND, 407);
    EXPECT_EQ(g_canvas.width, 20);
    EXPECT_EQ(Depth(), depth + 1);
    EXPECT_EQ(PictureAt(0, 0), Pattern(10, 10));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Cropped image to 20 x 20 pixels.");
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(PictureAt(110, 10), Pattern(10, 10)) << "no state shows the hole without its content";
    EXPECT_EQ(PictureRgb(10, 10), kBlue);
    EXPECT_FALSE(HasSelection());
    // A crop without a selection says so; one of a free-form never moved gives Color 2 outside the outline.
    Post(g_app.main, WM_COMMAND, 407);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"No selection to crop. Select an area first.");
    SetTool(ToolId::FreeFormSelect);
    PaintPattern();
    CanvasPress(1, 100, 100);
    CanvasMove(160, 100, MK_LBUTTON);
    CanvasMove(100, 160, MK_LBUTTON);
    CanvasRelease(1, 100, 160);
    Post(g_app.main, WM_COMMAND, 407);
    EXPECT_EQ(g_canvas.width, 61);
    EXPECT_EQ(PictureAt(1, 1), Pattern(101, 101));
    EXPECT_EQ(PictureRgb(59, 59), kBlue);
}

TEST_F(Selections, ASaveStampsItBeforeWritingTheFile) {
    const std::wstring folder = MakeTestFolder(L"kolvex_selsave_");
    const std::wstring file = folder + L"\\saved.bmp";
    CanvasDrag(1, 10, 10, 30, 30);
    CanvasDrag(1, 15, 15, 115, 15);
    SetDocumentSaved(file);
    MarkDocumentModified();
    Post(g_app.main, WM_COMMAND, 103);
    EXPECT_FALSE(HasSelection());
    EXPECT_FALSE(g_document.modified);
    ASSERT_TRUE(CreateCanvasImage(4, 4, 0xFFFFFFFFu));
    ASSERT_TRUE(OpenPictureFile(file));
    EXPECT_EQ(PictureAt(110, 10), Pattern(10, 10)) << "the file holds it";
    EXPECT_EQ(PictureRgb(10, 10), kBlue);
    RemoveTestFolder(folder);
}

TEST_F(Selections, ALostCaptureEndsAHandleResizeAsAReleaseAtTheLastPointer) {
    CanvasDrag(1, 100, 100, 140, 130);
    CanvasPress(1, 140, 130); // handle 5
    CanvasMove(180, 150, MK_LBUTTON);
    Post(g_app.canvas, WM_CANCELMODE);
    EXPECT_FALSE(g_selection.resizing);
    EXPECT_EQ(g_selection.width, 80);
    EXPECT_EQ(g_selection.height, 50);
    Escape();
    EXPECT_EQ(PictureAt(179, 149), Pattern(139, 129));
}

TEST_F(Selections, SizesThePictureCannotTakeChangeNothing) {
    // A handle release whose picture cannot be made: the message, the selection as before the drag.
    CanvasDrag(1, 600, 400, 620, 420);
    CanvasPress(1, 620, 420); // handle 5: the lift has its image
    g_createDibSection = &RefuseDib;
    CanvasMove(660, 440, MK_LBUTTON);
    CanvasMove(700, 460, MK_LBUTTON);
    CanvasRelease(1, 700, 460);
    g_createDibSection = &CreateDIBSection;
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Not enough memory for a picture of 100 x 60 pixels.");
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(g_selection.right, 620) << "back where the drag began";
    EXPECT_EQ(g_selection.width, 20);
    Escape();
    // A crop without memory: no level, the selection kept.
    CanvasDrag(1, 10, 10, 50, 50);
    const size_t depth = Depth();
    g_createDibSection = &RefuseDib;
    Post(g_app.main, WM_COMMAND, 407);
    g_createDibSection = &CreateDIBSection;
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Not enough memory for a picture of 40 x 40 pixels.");
    EXPECT_EQ(Depth(), depth);
    EXPECT_TRUE(HasSelection());
    EXPECT_EQ(g_canvas.width, 640);
    Escape();
    // A paste that would make the picture larger than the limit allows: refused, nothing changes.
    ASSERT_TRUE(CreateCanvasImage(32767, 100, 0xFFFFFFFFu));
    std::vector<uint32_t> tall(static_cast<size_t>(100) * 32767, 0xFF00FF00u);
    EXPECT_FALSE(PlaceFloatingImage(tall.data(), 100, 32767));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"A picture of 32767 x 32767 pixels is too large.");
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(g_canvas.height, 100);
    EXPECT_EQ(Depth(), depth);
}

// Run by tests/e2e/no_msimg32_test.sh with msimg32 switched off: a transparent selection is still drawn, by the
// program's own copy, and a free-form one shows no box.
TEST_F(Selections, DISABLED_WithoutMsimg32SelectionsAreStillDrawn) {
    ASSERT_EQ(LoadMsimg32Api().transparentBlt, nullptr) << "msimg32 must be switched off for this test";
    for (int y = 50; y < 60; ++y)
        for (int x = 50; x < 60; ++x)
            WritePixel(CanvasPixels(), x, y, 0xFF0000FFu);
    CanvasDrag(1, 40, 40, 80, 80);
    Post(g_app.main, WM_COMMAND, 406);
    CanvasDrag(1, 45, 45, 245, 45);
    EXPECT_EQ(Screen(255, 55), ScreenOf(Pattern(255, 55))) << "Color 2 left out";
    EXPECT_EQ(Screen(265, 65), ScreenOf(Pattern(65, 65))) << "the rest drawn";
    Escape();
    SetTool(ToolId::FreeFormSelect);
    CanvasPress(1, 100, 100);
    CanvasMove(160, 100, MK_LBUTTON);
    CanvasMove(100, 160, MK_LBUTTON);
    CanvasRelease(1, 100, 160);
    CanvasDrag(1, 105, 105, 405, 105);
    EXPECT_EQ(Screen(455, 155), ScreenOf(Pattern(455, 155))) << "no box round the outline";
    EXPECT_EQ(Screen(410, 110), ScreenOf(Pattern(110, 110)));
}

} // namespace
