#include "tools/text_core.h"

#include <gtest/gtest.h>

#include <ostream>

static std::ostream& operator<<(std::ostream& os, const TextRect& r) {
    return os << "(" << r.left << ", " << r.top << ") - (" << r.right << ", " << r.bottom << ")";
}

namespace {

TEST(TextBoxOpening, ClicksSmallDragsAndEdgesGiveTheseBoxes) {
    struct Case {
        const char* what;
        PicturePoint a, b;
        int size;
        TextRect expected;
    } cases[] = {
        {"click, size 28", {100, 100}, {100, 100}, 28, {100, 100, 380, 184}},
        {"click, size 12", {100, 100}, {100, 100}, 12, {100, 100, 340, 170}},
        {"click at x 630", {630, 100}, {630, 100}, 28, {600, 100, 640, 184}},
        {"click near the bottom", {100, 470}, {100, 470}, 28, {100, 460, 380, 480}},
        {"39 x 19 counts as a click", {100, 100}, {139, 119}, 28, {100, 100, 380, 184}},
        {"40 x 20 stays", {100, 100}, {140, 120}, 28, {100, 100, 140, 120}},
        {"corners in any order", {300, 200}, {100, 150}, 28, {100, 150, 300, 200}},
        {"past the right and bottom", {500, 400}, {900, 700}, 28, {500, 400, 640, 480}},
        {"left and top clipped", {200, 100}, {-300, -50}, 28, {0, 0, 200, 100}},
        {"clipped to a sliver at the left", {20, 100}, {-100, 200}, 28, {0, 100, 280, 200}},
        {"clipped to a sliver at the top", {100, 10}, {300, -100}, 28, {100, 0, 300, 84}},
        {"size 1000 fills the picture from the click", {100, 100}, {100, 100}, 1000, {100, 100, 640, 480}},
        {"a size past the limit counts as 1000", {0, 0}, {0, 0}, 2147483647, {0, 0, 640, 480}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextBoxFromCorners(c.a, c.b, c.size, 640, 480), c.expected) << c.what;
    EXPECT_EQ(TextBoxFromCorners({5, 5}, {5, 5}, 28, 30, 12), (TextRect{0, 0, 30, 12})) << "a picture below 40 x 20";
}

TEST(TextBoxHandles, SquaresSitOnTheZoomedCornersAndMiddles) {
    const TextRect box{10, 20, 110, 70};
    struct Case {
        double zoom;
        int n;
        ContentRect expected;
    } cases[] = {
        {1, 1, {8, 18, 13, 23}},      {1, 2, {58, 18, 63, 23}},  {1, 3, {108, 18, 113, 23}}, {1, 4, {108, 43, 113, 48}},
        {1, 5, {108, 68, 113, 73}},   {1, 6, {58, 68, 63, 73}},  {1, 7, {8, 68, 13, 73}},    {1, 8, {8, 43, 13, 48}},
        {2, 5, {218, 138, 223, 143}}, {0.5, 2, {28, 8, 33, 13}}, {1, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const ContentRect r = TextBoxHandleRect(box, c.zoom, c.n);
        EXPECT_EQ(r.left, c.expected.left) << c.zoom << " " << c.n;
        EXPECT_EQ(r.top, c.expected.top) << c.zoom << " " << c.n;
        EXPECT_EQ(r.right, c.expected.right) << c.zoom << " " << c.n;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.zoom << " " << c.n;
    }
}

TEST(TextBoxHandles, HitsGrowTheSquaresByThreeAndTheBorderBandSkipsThem) {
    const TextRect box{10, 20, 110, 70};
    struct Case {
        double zoom;
        int x, y;
        int handle;
        bool border;
    } cases[] = {
        {1, 10, 20, 1, false},   {1, 5, 15, 1, false},    {1, 4, 20, 0, true},    {1, 3, 20, 0, false},
        {1, 15, 25, 1, false},   {1, 16, 24, 0, true},    {1, 60, 45, 0, false},  {1, 40, 24, 0, true},
        {1, 40, 25, 0, false},   {1, 60, 24, 2, false},   {1, 110, 45, 4, false}, {1, 116, 30, 0, false},
        {1, 115, 30, 0, true},   {2, 220, 140, 5, false}, {2, 100, 34, 0, true},  {2, 100, 33, 0, false},
        {2, 100, 45, 0, false},  {8, 200, 150, 0, true},  {8, 200, 164, 0, true}, {8, 200, 149, 0, false},
        {8, 200, 165, 0, false}, {1, 300, 300, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitTextBoxHandle(box, c.zoom, c.x, c.y), c.handle) << c.zoom << " " << c.x << "," << c.y;
        EXPECT_EQ(HitTextBoxBorder(box, c.zoom, c.x, c.y), c.border) << c.zoom << " " << c.x << "," << c.y;
    }
    // A box whose inner rectangle is empty is all border where it is no handle.
    EXPECT_TRUE(HitTextBoxBorder({10, 10, 50, 18}, 1, 20, 14));
}

TEST(TextBoxMoving, KeepsTheSizeAndStaysOnThePictureWhereItFits) {
    struct Case {
        const char* what;
        TextRect atPress;
        int dx, dy;
        TextRect expected;
    } cases[] = {
        {"inside", {100, 100, 300, 200}, 20, -30, {120, 70, 320, 170}},
        {"past the left and top", {100, 100, 300, 200}, -150, -120, {0, 0, 200, 100}},
        {"past the right and bottom", {100, 100, 300, 200}, 400, 400, {440, 380, 640, 480}},
        {"wider than the picture", {0, 0, 800, 100}, 50, 0, {0, 0, 800, 100}},
        {"wider than the picture, dragged left", {0, 0, 800, 100}, -50, 0, {0, 0, 800, 100}},
        {"taller than the picture", {0, 0, 100, 600}, 0, 30, {0, 0, 100, 600}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MoveTextBox(c.atPress, c.dx, c.dy, 640, 480), c.expected) << c.what;
}

TEST(TextBoxResizing, EdgesFollowTheHandleDownToTheMinimumAndStayOnThePicture) {
    const TextRect box{100, 100, 300, 200};
    struct Case {
        const char* what;
        int handle, dx, dy, size;
        TextRect expected;
    } cases[] = {
        {"handle 5 grows", 5, 40, 30, 28, {100, 100, 340, 230}},
        {"handle 1 moves the top left", 1, -20, -10, 28, {80, 90, 300, 200}},
        {"handle 2 moves only the top", 2, 50, -10, 28, {100, 90, 300, 200}},
        {"handle 8 past the right edge", 8, 600, 0, 28, {270, 100, 300, 200}},
        {"handle 8 with size 40", 8, 600, 0, 40, {260, 100, 300, 200}},
        {"handle 6 up past the top", 6, 0, -500, 12, {100, 100, 300, 120}},
        {"handle 4 past the picture", 4, 900, 0, 28, {100, 100, 640, 200}},
        {"handle 7 past the left and bottom", 7, -500, 500, 28, {0, 100, 300, 480}},
        {"handle 3 past the top", 3, 0, -500, 28, {100, 0, 300, 200}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResizeTextBox(box, c.handle, c.dx, c.dy, c.size, 640, 480), c.expected) << c.what;
    // In a picture smaller than the minimum the box sticks out of it.
    EXPECT_EQ(ResizeTextBox({0, 0, 20, 10}, 5, -5, -5, 28, 20, 10), (TextRect{0, 0, 30, 28}));
}

TEST(TextCommit, TheFormattingRectangleIsScaledBackByTheRealZoom) {
    const TextRect box{100, 50, 400, 250};
    struct Case {
        double zoom;
        int fl, ft, fr;
        int inset;
        TextRect expected;
    } cases[] = {
        {1, 0, 0, 294, 3, {103, 53, 397, 247}},      {2, 0, 0, 594, 1, {101, 51, 398, 249}},
        {2, 3, 5, 591, 1, {102, 53, 396, 249}},      {3.5, 0, 0, 1044, 1, {101, 51, 399, 249}},
        {3.5, 7, 0, 1044, 1, {103, 51, 399, 249}},   {16, 0, 0, 4794, 0, {100, 50, 399, 250}},
        {0.5, 0, 0, 144, 6, {106, 56, 394, 244}},    {0.125, 0, 0, 31, 24, {124, 74, 372, 226}},
        {0.125, 0, 0, 100, 24, {124, 74, 400, 226}}, // never past the box
        {1, 0, 0, 0, 3, {103, 53, 397, 247}},        // no width: the box less the inset
        {1, -4, -2, 294, 3, {103, 53, 400, 247}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextInset(c.zoom), c.inset) << c.zoom;
        EXPECT_EQ(TextTargetRect(box, c.zoom, c.fl, c.ft, c.fr), c.expected) << c.zoom << " " << c.fl;
    }
}

TEST(TextCommit, TheTransparentEditShowsThePictureInsideTheInset) {
    struct Case {
        double zoom;
        TextRect box;
        EditPlacement expected;
    } cases[] = {
        {1, {100, 50, 400, 250}, {103, 53, 294, 194}},
        {2, {100, 50, 400, 250}, {101, 51, 298, 198}},
        {0.5, {100, 50, 400, 250}, {106, 56, 288, 188}},
        {0.125, {0, 0, 40, 20}, {24, 24, 1, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EditBackgroundSource(c.box, c.zoom), c.expected) << c.zoom;
}

TEST(TextEditPlace, ThreeScreenPixelsInsideTheZoomedBox) {
    struct Case {
        double zoom;
        int scrollX, scrollY;
        TextRect box;
        EditPlacement expected;
    } cases[] = {
        {1, 0, 0, {100, 50, 400, 250}, {103, 53, 294, 194}},      {2, 0, 0, {100, 50, 400, 250}, {203, 103, 594, 394}},
        {2, 150, 40, {100, 50, 400, 250}, {53, 63, 594, 394}},    {0.125, 0, 0, {0, 0, 40, 20}, {3, 3, 1, 1}},
        {16, 0, 0, {0, 0, 32767, 32767}, {3, 3, 524266, 524266}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextEditPlacement(c.box, c.zoom, c.scrollX, c.scrollY), c.expected) << c.zoom << " " << c.scrollX;
}

TEST(TextFonts, HeightsFollowThePointSizeTheZoomAndTheResolution) {
    EXPECT_EQ(CommitFontHeight(28, 96), 37);
    EXPECT_EQ(CommitFontHeight(12, 96), 16);
    EXPECT_EQ(CommitFontHeight(28, 0), 37) << "96 when the resolution is unknown";
    EXPECT_EQ(CommitFontHeight(9, 120), 15);
    EXPECT_EQ(EditFontHeight(28, 1, 96), 37);
    EXPECT_EQ(EditFontHeight(28, 2, 96), 75);
    EXPECT_EQ(EditFontHeight(28, 0.5, 96), 19);
    EXPECT_EQ(EditFontHeight(7, 0.125, 96), 1) << "at least one pixel, never the system's default size";
    EXPECT_EQ(EditFontHeight(1000, 16, 96), 21333);
}

TEST(TextSizeEntry, PositiveNumbersClampedTheRestIgnored) {
    struct Case {
        const wchar_t* text;
        int expected;
    } cases[] = {
        {L"0", 0},       {L"abc", 0},           {L"", 0},
        {L"-5", 0},      {L"100", 100},         {L"1000", 1000},
        {L"1001", 1000}, {L"2147483647", 1000}, {L"99999999999", 1000},
        {L"12pt", 12},   {L" 14", 14},          {L"+9", 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseTextSize(c.text), c.expected) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(ClampPointSize(-3), 1);
    EXPECT_EQ(ClampPointSize(int64_t{1} << 40), 1000);
}

TEST(TextFaceList, PreferredFacesFirstThenTheRestSortedWithoutCaseVerticalNamesOrDuplicates) {
    const std::vector<std::wstring> installed = {L"Tahoma",          L"zeta",   L"DejaVu Sans", L"@NanumGothic",
                                                 L"Arial",           L"Tahoma", L"NanumGothic", L"dejavu sans",
                                                 L"Liberation Sans", L"Gulim",  L"alpha",       L""};
    const std::vector<std::wstring> expected = {L"Arial",       L"Tahoma",          L"Gulim",       L"alpha",
                                                L"DejaVu Sans", L"Liberation Sans", L"NanumGothic", L"zeta"};
    const std::vector<std::wstring> list = OrderFaceList(installed);
    EXPECT_EQ(list, expected);
    EXPECT_EQ(FindFace(list, L"TAHOMA"), 1);
    EXPECT_EQ(FindFace(list, L"Courier New"), -1);
    EXPECT_TRUE(OrderFaceList({}).empty());
}

} // namespace
