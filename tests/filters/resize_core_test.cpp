// The numbers of the Resize and Attributes dialogs: entries read with saturation, the aspect box, the size an OK
// asks for; products of the largest entries with the largest sides stay within 64 bits (UBSan watches).
#include "filters/resize_core.h"

#include <gtest/gtest.h>

#include "document/pixel_core.h"

namespace {

TEST(ResizeEntries, LeadingDigitsSaturateInsteadOfWrapping) {
    struct Case {
        const wchar_t* text;
        int64_t value;
    };
    const Case cases[] = {
        {L"", 0},
        {L"abc", 0},
        {L"0", 0},
        {L"12abc", 12},
        {L"2147483653", 2147483653},
        {L"4294967298", 4294967298},
        {L"99999999999", 99999999999},
        {L"9999999999999999999999999999999", kMaxSizeEntry + 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadSizeEntry(c.text), c.value) << static_cast<const void*>(c.text);
    EXPECT_FALSE(IsPictureSizeAllowed(ReadSizeEntry(L"4294967298"), 480)) << "2^32 + 2 does not wrap to 2";
}

TEST(ResizeEntries, TheVerticalValueFollowsTheHorizontalOne) {
    EXPECT_EQ(FollowAspect(200, false, 640, 480), 200) << "percentages stay";
    EXPECT_EQ(FollowAspect(320, true, 640, 480), 240);
    EXPECT_EQ(FollowAspect(1, true, 1000, 1), 1) << "never below 1";
    EXPECT_EQ(FollowAspect(641, true, 641, 481), 481);
    EXPECT_EQ(FollowAspect(kMaxSizeEntry + 1, true, 1, kMaxPictureSide), (kMaxSizeEntry + 1) * kMaxPictureSide);
    EXPECT_EQ(FollowAspect(5, true, 0, 7), 35) << "a base of 0 counts as 1";
}

TEST(ResizeEntries, TheRequestedSizeInPercentAndPixels) {
    struct Case {
        int64_t hv, vv;
        bool pixels;
        int baseW, baseH;
        int64_t w, h;
        const char* why;
    };
    const Case cases[] = {
        {50, 50, false, 641, 481, 320, 240, "rounded toward zero"},
        {200, 200, false, 640, 480, 1280, 960, "200 %"},
        {0, 0, false, 640, 480, 640, 480, "a percentage below 1 keeps the side"},
        {1, 1, false, 50, 50, 1, 1, "never below 1"},
        {10000, 10000, false, 640, 480, 64000, 48000, "10,000 % asks for more than the limit"},
        {320, 0, true, 640, 480, 320, 1, "a pixel value below 1 becomes 1"},
        {40000, 30000, true, 640, 480, 40000, 30000, "pixels as typed"},
        {kMaxSizeEntry + 1, kMaxSizeEntry + 1, false, kMaxPictureSide, kMaxPictureSide,
         (kMaxSizeEntry + 1) * kMaxPictureSide / 100, (kMaxSizeEntry + 1) * kMaxPictureSide / 100, "no overflow"},
    };
    for (const Case& c : cases) {
        const RequestedSize r = ResizeTarget(c.hv, c.vv, c.pixels, c.baseW, c.baseH);
        EXPECT_EQ(r.width, c.w) << c.why;
        EXPECT_EQ(r.height, c.h) << c.why;
    }
}

} // namespace
