#include "capture/snip_core.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

void PrintTo(const SnipRect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}

namespace {

TEST(SnipArea, TheVirtualScreenWhenItHasASizeElseThePrimary) {
    struct Case {
        const char* name;
        ScreenMetrics m;
        bool ok;
        SnipRect area;
    } cases[] = {
        {"one screen", {1024, 768, 0, 0, 1024, 768}, true, {0, 0, 1024, 768}},
        {"a monitor left of the primary", {1920, 1080, -1280, -200, 3200, 1280}, true, {-1280, -200, 3200, 1280}},
        {"two side by side", {1920, 1080, 0, 0, 3840, 1080}, true, {0, 0, 3840, 1080}},
        {"virtual width 0", {1024, 768, 0, 0, 0, 768}, true, {0, 0, 1024, 768}},
        {"virtual height 0", {1024, 768, -50, 0, 2048, 0}, true, {0, 0, 1024, 768}},
        {"negative virtual size", {800, 600, 0, 0, -1, -1}, true, {0, 0, 800, 600}},
        {"unusable primary, usable virtual", {0, 0, 0, 0, 640, 480}, true, {0, 0, 640, 480}},
        {"primary width 0, no virtual", {0, 768, 0, 0, 0, 0}, false, {}},
        {"primary height 0, no virtual", {1024, 0, 0, 0, 0, 0}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SnipRect area{7, 7, 7, 7};
        ASSERT_EQ(ChooseSnipArea(c.m, &area), c.ok);
        if (c.ok) {
            EXPECT_EQ(area, c.area);
        }
    }
}

TEST(SnipDim, EachChannelBecomesItsShareOf140AndTheFourthByteZero) {
    struct Case {
        uint32_t in, out;
    } cases[] = {
        {0x00000000u, 0x00000000u}, {0xFF010101u, 0x00000000u}, // 140 / 255 rounds down to 0
        {0xFFFEFEFEu, 0x008B8B8Bu},                             // 254 x 140 / 255 = 139
        {0xFFFFFFFFu, 0x008C8C8Cu}, {0x12FF0100u, 0x008C0000u}, {0xAB00FE01u, 0x00008B00u}, {0x000100FFu, 0x0000008Cu},
    };
    for (const Case& c : cases) {
        uint32_t out = 0xDEADBEEFu;
        DimPixels(&c.in, &out, 1);
        EXPECT_EQ(out, c.out) << std::hex << c.in;
    }
    // Every level of every channel, against the rule itself.
    std::vector<uint32_t> in(256 * 3), out(in.size());
    for (uint32_t v = 0; v < 256; ++v) {
        in[v] = v;
        in[256 + v] = v << 8 | 0x80000000u;
        in[512 + v] = v << 16 | 0xFF000000u;
    }
    DimPixels(in.data(), out.data(), in.size());
    for (uint32_t v = 0; v < 256; ++v) {
        const uint32_t d = v * 140 / 255;
        ASSERT_EQ(out[v], d) << v;
        ASSERT_EQ(out[256 + v], d << 8) << v;
        ASSERT_EQ(out[512 + v], d << 16) << v;
    }
}

TEST(SnipClip, SmallDragsCancelAndTheRestIsCutToTheArea) {
    struct Case {
        const char* name;
        int x0, y0, x1, y1;
        bool ok;
        SnipRect r;
    } cases[] = {
        {"a click", 50, 50, 50, 50, false, {}},
        {"3 x 3", 50, 50, 53, 53, false, {}},
        {"100 x 3", 50, 50, 150, 53, false, {}},
        {"3 x 100", 50, 50, 53, 150, false, {}},
        {"4 x 4", 50, 50, 54, 54, true, {50, 50, 4, 4}},
        {"forward", 10, 20, 210, 120, true, {10, 20, 200, 100}},
        {"reverse", 210, 120, 10, 20, true, {10, 20, 200, 100}},
        {"one diagonal the other way", 210, 20, 10, 120, true, {10, 20, 200, 100}},
        {"past the left and top", -30, -40, 70, 60, true, {0, 0, 70, 60}},
        {"past the right and bottom", 1000, 700, 1100, 800, true, {1000, 700, 24, 68}},
        {"over the whole area", -5, -5, 2000, 2000, true, {0, 0, 1024, 768}},
        {"wholly left of the area", -100, 10, -10, 100, false, {}},
        {"wholly below the area", 10, 768, 100, 900, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SnipRect r{7, 7, 7, 7};
        ASSERT_EQ(ClipSnipRect(c.x0, c.y0, c.x1, c.y1, 1024, 768, &r), c.ok);
        if (c.ok) {
            EXPECT_EQ(r, c.r);
        }
    }
}

TEST(SnipLabel, BelowTheSelectionAboveItNearTheBottomAndNeverAboveTheTop) {
    struct Case {
        const char* name;
        SnipRect selection;
        int labelTop;
    } cases[] = {
        {"room below", {100, 100, 200, 100}, 204},
        {"bottom + 25 one short of the edge", {100, 100, 200, 642}, 746},
        {"bottom + 25 at the edge", {100, 100, 200, 643}, 76},
        {"near the bottom edge", {620, 560, 200, 190}, 536},
        {"near both edges", {5, 10, 50, 750}, 0},
        {"top exactly 24", {5, 24, 50, 740}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SnipLabelRect(c.selection, 768),
                  (SnipRect{c.selection.left, c.labelTop, kSnipLabelWidth, kSnipLabelHeight}));
    }
    EXPECT_EQ(SnipHintRect(1024), (SnipRect{322, 16, 380, 28}));
    EXPECT_EQ(SnipHintRect(1025), (SnipRect{322, 16, 380, 28}));
    EXPECT_EQ(SnipHintRect(300), (SnipRect{-40, 16, 380, 28}));
}

TEST(SnipDamage, TheFrameOnePixelOutAndTheLabelWhereverItGoes) {
    struct Case {
        const char* name;
        SnipRect selection, damage;
    } cases[] = {
        {"label below", {100, 100, 200, 100}, {99, 99, 202, 125}},
        {"label above", {620, 560, 200, 190}, {619, 536, 202, 215}},
        {"label wider than the selection", {10, 10, 20, 20}, {9, 9, 91, 45}},
        {"empty", {50, 50, 0, 10}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SnipDamageRect(c.selection, 768), c.damage);
    }
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(SnipDib, HeaderThenBottomUpRowsPaddedToTheStride) {
    for (int w : {1, 2, 3, 4, 201}) {
        SCOPED_TRACE(w);
        const int h = 3;
        std::vector<uint32_t> topDown(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                topDown[static_cast<size_t>(y) * w + x] = 0xAA000000u | (x & 0xFF) << 16 | y << 8 | ((x * 7) & 0xFF);
        const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
        ASSERT_EQ(CaptureDibBytes(w, h), 40 + stride * h);
        std::vector<uint8_t> block(static_cast<size_t>(CaptureDibBytes(w, h)), 0xCD);
        PackCaptureDib(topDown.data(), w, h, block.data());
        const uint32_t header[10] = {
            40, static_cast<uint32_t>(w), h, 1 | 24 << 16, 0, static_cast<uint32_t>(stride * h), 0, 0, 0, 0};
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(Le32(block, static_cast<size_t>(i) * 4), header[i]) << "header word " << i;
        for (int r = 0; r < h; ++r) {
            const int y = h - 1 - r; // the first stored row is the bottom one
            const size_t row = 40 + static_cast<size_t>(r) * stride;
            for (int x = 0; x < w; ++x) {
                const size_t at = row + static_cast<size_t>(x) * 3;
                ASSERT_EQ(block[at], (x * 7) & 0xFF);
                ASSERT_EQ(block[at + 1], y);
                ASSERT_EQ(block[at + 2], x & 0xFF);
            }
            for (size_t pad = static_cast<size_t>(w) * 3; pad < stride; ++pad)
                ASSERT_EQ(block[row + pad], 0) << "padding of row " << r;
        }
    }
}

TEST(SnipRegion, TheCaptureIsTheFramesRegionOpaqueAndFlipsBothWays) {
    const int fw = 6, fh = 4;
    std::vector<uint32_t> frame(static_cast<size_t>(fw) * fh);
    for (int i = 0; i < fw * fh; ++i)
        frame[static_cast<size_t>(i)] = static_cast<uint32_t>(i) * 0x010203u; // fourth byte 0, as the screen gives
    std::vector<uint32_t> out(6);
    CopyCaptureRegion(frame.data(), fw, {2, 1, 3, 2}, out.data());
    EXPECT_EQ(out, (std::vector<uint32_t>{0xFF000000u | 8 * 0x010203u, 0xFF000000u | 9 * 0x010203u,
                                          0xFF000000u | 10 * 0x010203u, 0xFF000000u | 14 * 0x010203u,
                                          0xFF000000u | 15 * 0x010203u, 0xFF000000u | 16 * 0x010203u}));
    std::vector<uint32_t> flipped(6), back(6);
    FlipRows(out.data(), 3, 2, flipped.data());
    EXPECT_EQ(flipped, (std::vector<uint32_t>{out[3], out[4], out[5], out[0], out[1], out[2]}));
    FlipRows(flipped.data(), 3, 2, back.data());
    EXPECT_EQ(back, out);
}

TEST(SnipBlank, WhiteAndTheBackgroundColourAloneAreBlank) {
    constexpr uint32_t kBlue = 0xFF0000FFu;
    struct Case {
        const char* name;
        std::vector<uint32_t> px;
        int w, h;
        bool blank;
    } cases[] = {
        {"white", {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}, 2, 2, true},
        {"the background colour", {kBlue, kBlue, kBlue, kBlue}, 2, 2, true},
        {"both mixed", {0xFFFFFFFFu, kBlue, kBlue, 0xFFFFFFFFu}, 2, 2, true},
        {"one other pixel", {0xFFFFFFFFu, kBlue, 0xFFFFFFFEu, 0xFFFFFFFFu}, 2, 2, false},
        {"a different fourth byte", {0x00FFFFFFu, 0x120000FFu, 0xFFFFFFFFu, 0x7FFFFFFFu}, 2, 2, true},
        {"black", {0xFF000000u}, 1, 1, false},
        {"no buffer", {}, 2, 2, true},
        {"width 0", {0xFF000000u}, 0, 1, true},
        {"height below 0", {0xFF000000u}, 1, -1, true},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PixelView v{c.px.empty() ? nullptr : c.px.data(), c.w, c.h};
        EXPECT_EQ(IsPictureBlank(v, kBlue), c.blank);
    }
}

TEST(SnipBlank, OnlyAnUntouchedUntitledBlankPageIsReplaced) {
    std::vector<uint32_t> white(4, 0xFFFFFFFFu);
    const bool blank = IsPictureBlank({white.data(), 2, 2}, 0xFFFFFFFFu);
    ASSERT_TRUE(blank);
    EXPECT_EQ(ChooseCaptureTarget(blank, false, false), CaptureTarget::ReplacePicture);
    EXPECT_EQ(ChooseCaptureTarget(blank, false, true), CaptureTarget::FloatingSelection) << "loaded from a file";
    EXPECT_EQ(ChooseCaptureTarget(blank, true, false), CaptureTarget::FloatingSelection) << "modified";
    EXPECT_EQ(ChooseCaptureTarget(false, false, false), CaptureTarget::FloatingSelection) << "not blank";
}

} // namespace
