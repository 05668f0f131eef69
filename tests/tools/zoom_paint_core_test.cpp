#include "tools/zoom_paint_core.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kUntouched = 0x12345678u;

std::vector<PixelPath> Paths() {
    std::vector<PixelPath> paths = {PixelPath::Scalar};
    if (CpuHasSse2()) paths.push_back(PixelPath::Sse2);
    return paths;
}

struct Case {
    int zoom, left, top, width, height; // the buffer onto the content plane
    int x0, y0, x1, y1;                 // the picture range painted
};

// Every buffer pixel against the definition: the picture pixel its content point lies in, when that pixel is in
// the range painted, else what was there.
TEST(ZoomPaint, EachBufferPixelShowsThePicturePixelItsContentPointLiesIn) {
    std::mt19937 rng(7u);
    std::vector<uint32_t> pixels(37 * 23);
    for (uint32_t& p : pixels)
        p = rng();
    const PixelView picture{pixels.data(), 37, 23};
    const Case cases[] = {
        {2, 0, 0, 80, 50, 0, 0, 37, 23}, {16, 0, 0, 100, 70, 0, 0, 37, 23},      {16, 37, 21, 101, 67, 2, 1, 12, 8},
        {3, 5, 4, 7, 5, 1, 1, 5, 4},     {6, 200, 120, 30, 30, 30, 18, 37, 23},  {8, 296, 0, 40, 40, 36, 0, 37, 5},
        {4, 0, 0, 13, 9, 0, 0, 37, 23},  {16, 600, 368, 50, 50, 30, 20, 37, 23}, {5, 1, 1, 1, 1, 0, 0, 37, 23},
    };
    for (const PixelPath path : Paths()) {
        for (const Case& c : cases) {
            SCOPED_TRACE("zoom " + std::to_string(c.zoom) + " buffer at " + std::to_string(c.left) + "," +
                         std::to_string(c.top) + ", " + PixelPathName(path));
            std::vector<uint32_t> buffer(static_cast<size_t>(c.width) * c.height, kUntouched);
            const ContentBuffer out{buffer.data(), c.width, c.height, c.left, c.top};
            PaintZoomedPicture(picture, c.zoom, c.x0, c.y0, c.x1, c.y1, out, path);
            int wrong = 0;
            for (int by = 0; by < c.height; ++by)
                for (int bx = 0; bx < c.width; ++bx) {
                    const int px = (bx + c.left) / c.zoom, py = (by + c.top) / c.zoom;
                    const bool painted = px >= c.x0 && px < c.x1 && py >= c.y0 && py < c.y1;
                    const uint32_t want = painted ? ReadPixel(picture, px, py) : kUntouched;
                    wrong += buffer[static_cast<size_t>(by) * c.width + bx] != want;
                }
            EXPECT_EQ(wrong, 0);
        }
    }
}

// Lines as a one-pixel XOR pen draws them, one after the other: a pixel on both a vertical and a horizontal line is
// turned twice, so it keeps its colour; the lines reach one pixel past their last picture row and column.
TEST(ZoomPaint, GridLinesTurnTheirPixelsAndCrossingsTurnBack) {
    const GridLines grids[] = {{16, 1, 0, 0, 4, 3}, {3, 2, 2, 0, 10, 7}, {8, 1, 30, 20, 37, 23}, {4, 5, 0, 5, 20, 20}};
    int turnedInAll = 0;
    for (const GridLines& g : grids) {
        for (const ContentBuffer& shape : {ContentBuffer{nullptr, 90, 70, 0, 0}, ContentBuffer{nullptr, 41, 33, 17, 9},
                                           ContentBuffer{nullptr, 60, 60, 230, 150}}) {
            SCOPED_TRACE("zoom " + std::to_string(g.zoom) + " step " + std::to_string(g.step) + " buffer at " +
                         std::to_string(shape.left) + "," + std::to_string(shape.top));
            std::vector<uint32_t> buffer(static_cast<size_t>(shape.width) * shape.height, 0xFF808080u);
            ContentBuffer out = shape;
            out.px = buffer.data();
            XorGridLines(g, out);
            int wrong = 0, turned = 0;
            for (int by = 0; by < shape.height; ++by)
                for (int bx = 0; bx < shape.width; ++bx) {
                    const int cx = bx + shape.left, cy = by + shape.top;
                    const bool onColumn = cx % g.zoom == 0 && cx / g.zoom >= g.xs && cx / g.zoom <= g.xEnd &&
                                          (cx / g.zoom - g.xs) % g.step == 0 && cy >= g.zoom * g.ys &&
                                          cy <= g.zoom * g.yEnd;
                    const bool onRow = cy % g.zoom == 0 && cy / g.zoom >= g.ys && cy / g.zoom <= g.yEnd &&
                                       (cy / g.zoom - g.ys) % g.step == 0 && cx >= g.zoom * g.xs &&
                                       cx <= g.zoom * g.xEnd;
                    const uint32_t want = onColumn != onRow ? 0xFF7F7F7Fu : 0xFF808080u;
                    const uint32_t got = buffer[static_cast<size_t>(by) * shape.width + bx];
                    wrong += got != want;
                    turned += got != 0xFF808080u;
                }
            EXPECT_EQ(wrong, 0);
            turnedInAll += turned;
        }
    }
    EXPECT_GT(turnedInAll, 1000);
}

} // namespace
