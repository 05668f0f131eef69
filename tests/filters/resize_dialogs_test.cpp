// The Resize and Attributes dialogs through their commands: what they open with, the aspect box, the stretch and
// the selection's scale with the picture it grows or takes, and every size they refuse, each leaving the picture,
// the history and the modified flag as they were.
#include <windows.h>

#include <string>
#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/document_state.h"
#include "filters/transform_steps.h"
#include "filters/transforms.h"
#include "tools/selection.h"
#include "toolbox/tool_actions.h"
#include "toolbox/tool_state.h"

namespace {

using namespace transform_steps;

class ResizeDialogs : public TransformFixture {};

HBITMAP WINAPI RefuseDib(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) { return nullptr; }

// The picture w x h scaled from before by the one rule: destination x takes source x * before.width / w.
Expected ScaledFrom(Expected& before, int left, int top, int srcW, int srcH, int w, int h) {
    Expected e{w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            e.px.push_back(before.At(left + static_cast<int>(static_cast<int64_t>(x) * srcW / w),
                                     top + static_cast<int>(static_cast<int64_t>(y) * srcH / h)));
    return e;
}

TEST_F(ResizeDialogs, EachDialogOpensAsItShouldAndCancelChangesNothing) {
    const DialogSeen flip = FlipRotate(kRotate90Id, false);
    const ResizeSeen resize = Resize({.horizontal = L"300", .ok = false});
    const DialogSeen attributes = Attributes(L"20", L"20", false);
    struct Case {
        const DialogSeen& seen;
        const wchar_t* caption;
        SIZE size;
        std::vector<int> checked;
        std::wstring edit1, edit2;
    };
    const Case cases[] = {
        {flip, L"Flip and Rotate", {260, 195}, {kFlipHorizontalId}, L"", L""},
        {resize.dialog, L"Resize and Skew", {320, 280}, {kResizePercentId, kResizeAspectId}, L"100", L"100"},
        {attributes, L"Attributes", {280, 160}, {}, L"640", L"480"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.caption, c.caption + wcslen(c.caption)));
        ASSERT_TRUE(c.seen.ran);
        EXPECT_FALSE(c.seen.timedOut);
        EXPECT_TRUE(c.seen.closed);
        EXPECT_EQ(c.seen.caption, c.caption);
        EXPECT_EQ(c.seen.size.cx, c.size.cx);
        EXPECT_EQ(c.seen.size.cy, c.size.cy);
        EXPECT_EQ(c.seen.checked, c.checked);
        EXPECT_EQ(c.seen.edits[0], c.edit1);
        EXPECT_EQ(c.seen.edits[1], c.edit2);
    }
    EXPECT_EQ(Depth(), 0u);
    EXPECT_FALSE(g_document.modified);
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(PictureAt(639, 0), Pattern(639, 0));
    EXPECT_TRUE(IsWindowEnabled(g_app.main));
}

TEST_F(ResizeDialogs, TheAspectBoxFollowsTheHorizontalEntryAndTheUnitsResetTheEntries) {
    struct Case {
        ResizeInput in;
        const wchar_t *horizontal, *vertical, *unit;
        const char* why;
    };
    const Case cases[] = {
        {{.horizontal = L"200"}, L"200", L"200", L"%", "percentages follow as they are"},
        {{.pixels = true, .horizontal = L"320"}, L"320", L"240", L"px", "pixels keep the ratio of 640 x 480"},
        {{.pixels = true}, L"640", L"480", L"px", "Pixels shows the base size"},
        {{.pixels = true, .backToPercent = true}, L"100", L"100", L"%", "Pixels then Percentage resets to 100"},
        {{.pixels = true, .uncheckAspect = true, .horizontal = L"320"}, L"320", L"480", L"px", "without the box"},
        {{.horizontal = L"200", .vertical = L"50"}, L"200", L"50", L"%", "the vertical entry never leads"},
    };
    for (const Case& c : cases) {
        ResizeInput in = c.in;
        in.ok = false;
        const ResizeSeen seen = Resize(in);
        ASSERT_TRUE(seen.dialog.ran) << c.why;
        EXPECT_EQ(seen.horizontal, c.horizontal) << c.why;
        EXPECT_EQ(seen.vertical, c.vertical) << c.why;
        EXPECT_EQ(seen.units[0], c.unit) << c.why;
        EXPECT_EQ(seen.units[1], c.unit) << c.why;
    }
    EXPECT_EQ(Depth(), 0u) << "Cancel records nothing";
}

TEST_F(ResizeDialogs, FiftyPercentOfAnOddPictureRoundsDownWithTheNearestSampler) {
    FreshPattern(641, 481);
    Expected before = Expected::OfPicture();
    const ResizeSeen seen = ResizePercent(L"50");
    ASSERT_TRUE(seen.dialog.ran);
    Expected after = ScaledFrom(before, 0, 0, 641, 481, 320, 240);
    EXPECT_TRUE(PictureIs(after));
    EXPECT_EQ(Depth(), 1u);
    Command(201);
    EXPECT_TRUE(PictureIs(before));
    // In pixels, without the aspect box.
    Resize({.pixels = true, .uncheckAspect = true, .horizontal = L"100", .vertical = L"30"});
    Expected pixels = ScaledFrom(before, 0, 0, 641, 481, 100, 30);
    EXPECT_TRUE(PictureIs(pixels));
}

TEST_F(ResizeDialogs, AttributesCutsAndExtendsAtTheRightAndBottomInColorTwo) {
    Expected before = Expected::OfPicture();
    const DialogSeen seen = Attributes(L"2000", L"10");
    ASSERT_TRUE(seen.ran);
    Expected after{2000, 10, std::vector<uint32_t>(20000, kHole)};
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 640; ++x)
            after.At(x, y) = before.At(x, y);
    EXPECT_TRUE(PictureIs(after));
    EXPECT_EQ(Depth(), 1u);
    Command(201);
    EXPECT_TRUE(PictureIs(before));
}

TEST_F(ResizeDialogs, EmptyZeroAndLetterEntriesLeaveThePictureAsItIs) {
    const std::pair<const wchar_t*, const wchar_t*> entries[] = {{L"", L"480"},  {L"640", L""},    {L"0", L"480"},
                                                                 {L"640", L"0"}, {L"abc", L"480"}, {L"640", L"x1"}};
    for (const auto& [w, h] : entries) {
        SetStatusText(kStatusMessage, L"before");
        const DialogSeen seen = Attributes(w, h);
        ASSERT_TRUE(seen.ran);
        EXPECT_TRUE(seen.closed);
        EXPECT_EQ(g_canvas.width, 640);
        EXPECT_EQ(g_canvas.height, 480);
        EXPECT_EQ(GetStatusText(kStatusMessage), L"before") << "the entry takes its default, silently";
    }
    // A percentage below 1 keeps its side; a pixel value below 1 becomes 1.
    ResizePercent(L"0");
    EXPECT_EQ(g_canvas.width, 640);
    Resize({.pixels = true, .uncheckAspect = true, .horizontal = L"abc", .vertical = L"7"});
    EXPECT_EQ(g_canvas.width, 1);
    EXPECT_EQ(g_canvas.height, 7);
    EXPECT_EQ(Depth(), 1u) << "only the change records a level";
}

TEST_F(ResizeDialogs, SizesPastTheLimitAreRefusedWithAMessageAndChangeNothing) {
    struct Case {
        const char* what;
        int select; // 0 none, 1 a rectangle at (0, 0), 2 a rectangle at (600, 400)
        std::function<void()> act;
        const wchar_t* status;
    };
    const Case cases[] = {
        {"Attributes 100000 x 100000", 0, [] { Attributes(L"100000", L"100000"); },
         L"A picture of 100000 x 100000 pixels is too large."},
        {"Attributes 10001 x 10000", 0, [] { Attributes(L"10001", L"10000"); },
         L"A picture of 10001 x 10000 pixels is too large."},
        {"Attributes 2^31 + 5", 0, [] { Attributes(L"2147483653", L"480"); },
         L"A picture of 2147483653 x 480 pixels is too large."},
        {"Attributes 99999999999", 0, [] { Attributes(L"640", L"99999999999"); },
         L"A picture of 640 x 99999999999 pixels is too large."},
        {"Attributes 2^32 + 2", 0, [] { Attributes(L"4294967298", L"480"); },
         L"A picture of 4294967298 x 480 pixels is too large."},
        {"Resize 10000 %", 0, [] { ResizePercent(L"10000"); }, L"A picture of 64000 x 48000 pixels is too large."},
        {"Resize 40000 px", 0, [] { Resize({.pixels = true, .horizontal = L"40000"}); },
         L"A picture of 40000 x 30000 pixels is too large."},
        {"a selection scaled past the limit", 1, [] { Resize({.pixels = true, .horizontal = L"40000"}); },
         L"A picture of 40000 x 40000 pixels is too large."},
        {"a selection whose picture would grow past it", 2,
         [] { Resize({.pixels = true, .uncheckAspect = true, .horizontal = L"32767", .vertical = L"20"}); },
         L"A picture of 33367 x 480 pixels is too large."},
        {"a stretch without memory", 0,
         [] {
             g_createDibSection = RefuseDib;
             ResizePercent(L"50");
         },
         L"Not enough memory for a picture of 320 x 240 pixels."},
        {"a selection's scale without memory", 1,
         [] {
             g_createDibSection = RefuseDib;
             ResizePercent(L"50");
         },
         L"Not enough memory to move selection."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshPattern();
        ForgetDocumentChanges();
        SetTool(ToolId::Select);
        if (c.select == 1) CanvasDrag(1, 0, 0, 100, 100);
        if (c.select == 2) CanvasDrag(1, 600, 400, 620, 420);
        Expected before = Expected::OfPicture();
        SetStatusText(kStatusMessage, L"");
        c.act();
        g_createDibSection = &CreateDIBSection;
        EXPECT_EQ(GetStatusText(kStatusMessage), c.status);
        EXPECT_TRUE(PictureIs(before));
        EXPECT_EQ(Depth(), 0u);
        EXPECT_FALSE(g_document.modified);
        EXPECT_EQ(HasSelection(), c.select != 0);
        if (c.select) {
            EXPECT_FALSE(g_selection.lifted) << "nothing was lifted";
            EXPECT_EQ(g_selection.image.pixels, nullptr);
            EXPECT_EQ(g_selection.width, c.select == 1 ? 100 : 20);
        }
        EXPECT_EQ(FindThreadWindowOfClass(kStretchSkewClass), nullptr);
        EXPECT_EQ(FindThreadWindowOfClass(kAttributesClass), nullptr);
    }
}

TEST_F(ResizeDialogs, ACornerSelectionScalesWithoutCuttingOrGrowingThePicture) {
    FreshPattern();
    SetTool(ToolId::Select);
    Expected before = Expected::OfPicture();
    CanvasDrag(1, 0, 0, 100, 100);
    ResizePercent(L"200");
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(g_canvas.height, 480);
    ASSERT_TRUE(g_selection.lifted);
    EXPECT_EQ(g_selection.width, 200);
    EXPECT_EQ(g_selection.right, 200);
    EXPECT_EQ(Depth(), 1u) << "the lift's level only";
    Escape();
    Expected after = before;
    Expected scaled = ScaledFrom(before, 0, 0, 100, 100, 200, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            after.At(x, y) = scaled.At(x, y);
    EXPECT_TRUE(PictureIs(after));
}

// Select All, Copy, then Paste on a fresh 640 x 480 picture: the paste of a w x h picture.
void PasteOf(int w, int h) {
    FreshPattern(w, h);
    Command(207);
    Command(204);
    Escape();
    FreshPattern();
    Command(205);
    ASSERT_TRUE(HasSelection());
    ASSERT_EQ(g_selection.width, w);
}

TEST_F(ResizeDialogs, APasteThatFilledThePictureGivesItItsNewSizeASmallerOneDoesNot) {
    PasteOf(800, 600);
    ASSERT_EQ(g_canvas.width, 800);
    Expected big = Expected::OfPicture();
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            big.At(x, y) = Pattern(x, y);
    const size_t depth = Depth();
    ResizePercent(L"50");
    EXPECT_EQ(g_canvas.width, 400);
    EXPECT_EQ(g_canvas.height, 300);
    EXPECT_EQ(g_selection.width, 400);
    EXPECT_EQ(Depth(), depth + 1) << "the picture's new size records none of its own";
    Escape();
    Expected half = ScaledFrom(big, 0, 0, 800, 600, 400, 300);
    EXPECT_TRUE(PictureIs(half));

    PasteOf(100, 100);
    Expected under = Expected::OfPicture();
    ResizePercent(L"50");
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(g_canvas.height, 480);
    EXPECT_EQ(g_selection.width, 50);
    Escape();
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            under.At(x, y) = Pattern(2 * x, 2 * y);
    EXPECT_TRUE(PictureIs(under));
}

TEST_F(ResizeDialogs, AMovedSelectionIsScaledAndOneUndoGivesItBackUnscaledAtItsPlace) {
    FreshPattern();
    SetTool(ToolId::Select);
    Expected before = Expected::OfPicture();
    CanvasDrag(1, 100, 100, 140, 130);
    CanvasDrag(1, 110, 110, 310, 210); // now at (300, 200)
    const size_t depth = Depth();
    ResizePercent(L"50");
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(g_selection.left, 300);
    EXPECT_EQ(g_selection.width, 20);
    EXPECT_EQ(g_selection.height, 15);
    EXPECT_EQ(Depth(), depth + 1);
    Escape();
    Expected moved = before;
    for (int y = 100; y < 130; ++y)
        for (int x = 100; x < 140; ++x)
            moved.At(x, y) = kHole;
    Expected scaled = moved;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x)
            scaled.At(300 + x, 200 + y) = before.At(100 + 2 * x, 100 + 2 * y);
    EXPECT_TRUE(PictureIs(scaled));
    Command(201);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            moved.At(300 + x, 200 + y) = before.At(100 + x, 100 + y);
    EXPECT_TRUE(PictureIs(moved)) << "the moved content, unscaled, at its place";
}

TEST_F(ResizeDialogs, StretchSettlesAFloatingSelectionBeforeItsLevel) {
    FreshPattern();
    SetTool(ToolId::Select);
    Expected before = Expected::OfPicture();
    CanvasDrag(1, 100, 100, 140, 130);
    CanvasDrag(1, 110, 110, 310, 210);
    Expected moved = before;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            moved.At(100 + x, 100 + y) = kHole;
        }
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            moved.At(300 + x, 200 + y) = before.At(100 + x, 100 + y);
    const size_t depth = Depth();
    StretchPicture(320, 240);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(Depth(), depth + 1);
    Expected half = ScaledFrom(moved, 0, 0, 640, 480, 320, 240);
    EXPECT_TRUE(PictureIs(half));
    Command(201);
    EXPECT_TRUE(PictureIs(moved)) << "one Undo gives the stamped selection at full size";
}

} // namespace
