#include <windows.h>

#include "document/document_state.h"
#include "document/canvas_image.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"
#include "toolbox/color_box.h"

namespace {

using CanvasImageTest = AppFixture;

TEST_F(CanvasImageTest, ResizeKeepsTheTopLeftAndFillsAsAsked) {
    ASSERT_TRUE(CreateCanvasImage(2, 2, PixelFromColor(g_colors.background)));
    WritePixel(CanvasPixels(), 0, 0, 0xFF010203u);
    WritePixel(CanvasPixels(), 1, 1, 0xFF040506u);
    g_colors.background = RGB(255, 0, 0);
    ASSERT_EQ(ResizeCanvasImage(3, 3, 0xFFFFFFFFu, false), ResizeResult::Done);
    EXPECT_EQ(PictureAt(0, 0), 0xFF010203u);
    EXPECT_EQ(PictureAt(1, 1), 0xFF040506u);
    EXPECT_EQ(PictureAt(2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(PictureAt(2, 2), 0xFFFFFFFFu);
    ASSERT_EQ(ResizeCanvasImage(4, 3, PixelFromColor(g_colors.background), false), ResizeResult::Done);
    EXPECT_EQ(PictureAt(3, 0), 0xFFFF0000u);
    EXPECT_EQ(PictureAt(2, 0), 0xFFFFFFFFu);
}

TEST_F(CanvasImageTest, SizesBelowOneBecomeOne) {
    ASSERT_EQ(ResizeCanvasImage(0, -5, PixelFromColor(g_colors.background), true), ResizeResult::Done);
    EXPECT_EQ(g_canvas.width, 1);
    EXPECT_EQ(g_canvas.height, 1);
}

TEST_F(CanvasImageTest, TheSameSizeChangesNothing) {
    g_document.modified = false;
    EXPECT_EQ(ResizeCanvasImage(640, 480, PixelFromColor(g_colors.background), true), ResizeResult::Unchanged);
    EXPECT_FALSE(g_document.modified);
    EXPECT_EQ(MainCaption(), L"Untitled - Kolvex");
}

TEST_F(CanvasImageTest, AFilledPictureTakesTheBackgroundColour) {
    g_colors.background = RGB(255, 0, 0);
    ASSERT_TRUE(CreateCanvasImage(5, 4, PixelFromColor(g_colors.background)));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(g_canvas.pixels[i], 0xFFFF0000u);
}

HBITMAP WINAPI RefuseDib(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) { return nullptr; }

TEST_F(CanvasImageTest, ARefusedSurfaceLeavesThePictureUntouched) {
    WritePixel(CanvasPixels(), 3, 4, 0xFF123456u);
    const HBITMAP before = g_canvas.dib;
    g_document.modified = false;
    g_createDibSection = &RefuseDib;
    EXPECT_FALSE(CreateCanvasImage(800, 600, PixelFromColor(g_colors.background)));
    EXPECT_EQ(ResizeCanvasImage(800, 600, PixelFromColor(g_colors.background), true), ResizeResult::NoMemory);
    g_createDibSection = &CreateDIBSection;
    EXPECT_EQ(g_canvas.dib, before);
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(g_canvas.height, 480);
    EXPECT_EQ(PictureAt(3, 4), 0xFF123456u);
    EXPECT_FALSE(g_document.modified);
    ReportResizeFailure(ResizeResult::NoMemory, 800, 600);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Not enough memory for a picture of 800 x 600 pixels.");
}

TEST_F(CanvasImageTest, SizesPastTheLimitAreRefused) {
    const int sizes[][2] = {{100000, 100000}, {32768, 1}, {10001, 10000}, {2147483647, 2}};
    for (const auto& s : sizes) {
        EXPECT_EQ(ResizeCanvasImage(s[0], s[1], PixelFromColor(g_colors.background), true), ResizeResult::TooLarge)
            << s[0] << " x " << s[1];
        EXPECT_FALSE(CreateCanvasImage(s[0], s[1], PixelFromColor(g_colors.background)));
        EXPECT_EQ(g_canvas.width, 640);
    }
}

} // namespace
