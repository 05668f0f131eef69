#include "tools/freehand_core.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "toolbox/tool_state.h"
#include "tools/pencil_core.h"

namespace {

// Rows or columns lo..hi of a footprint after cutting it to the picture; empty when lo > hi.
struct Span {
    int lo;
    int hi;
};

// 64-bit bounds so that a footprint near the int limits cannot overflow before it is clipped.
Span ClipSpan(int64_t lo, int64_t hi, int size) {
    lo = std::max<int64_t>(lo, 0);
    hi = std::min<int64_t>(hi, int64_t{size} - 1);
    if (lo > hi) return {1, 0};
    return {static_cast<int>(lo), static_cast<int>(hi)};
}

bool HasPixels(const PixelView& v) { return v.px && v.width > 0 && v.height > 0; }

uint32_t* RowOf(const PixelView& v, int y) {
    return v.px + static_cast<size_t>(v.height - 1 - y) * static_cast<size_t>(v.width);
}

// y must be a row of the picture.
void FillRowSpan(const PixelView& v, int y, int64_t x0, int64_t x1, uint32_t pixel) {
    const Span cols = ClipSpan(x0, x1, v.width);
    if (cols.lo > cols.hi) return;
    uint32_t* row = RowOf(v, y);
    std::fill(row + cols.lo, row + cols.hi + 1, pixel);
}

int WrapIndex(int index, int count) { return (index % count + count) % count; }

// The ink pen works in single precision with one rounding per operation. The 32-bit build keeps x87
// intermediates at extended precision (and GCC 12 cannot be told otherwise for C++), so every result goes
// through memory; then every build and compiler lands on the same bits and the same pixels.
float Narrow(float value) {
    volatile float stored = value;
    return stored;
}
float Add(float a, float b) { return Narrow(a + b); }
float Sub(float a, float b) { return Narrow(a - b); }
float Mul(float a, float b) { return Narrow(a * b); }
float Div(float a, float b) { return Narrow(a / b); }
float ToFloat(int value) { return Narrow(static_cast<float>(value)); }

uint32_t BlendChannel(uint32_t ink, uint32_t old, int shift, uint32_t cover) {
    const uint32_t a = ink >> shift & 0xFF, b = old >> shift & 0xFF;
    return (a * cover + b * (255 - cover) + 127) / 255 << shift;
}

uint32_t BlendInk(uint32_t ink, uint32_t old, uint32_t cover) {
    return 0xFF000000u | BlendChannel(ink, old, 16, cover) | BlendChannel(ink, old, 8, cover) |
           BlendChannel(ink, old, 0, cover);
}

// Rows or columns a dab centred at c may touch, cut to the picture; worked in double so that a stray centre
// cannot overflow an int.
Span DabSpan(float c, float radius, int size) {
    const double h = std::ceil(static_cast<double>(radius)) + 1;
    const double lo = std::max(std::floor(static_cast<double>(c)) - h, 0.0);
    const double hi = std::min(std::ceil(static_cast<double>(c)) + h, size - 1.0);
    if (!(lo <= hi)) return {1, 0};
    return {static_cast<int>(lo), static_cast<int>(hi)};
}

struct SprayTable {
    int radius;
    int dots;
};
constexpr SprayTable kSprayTable[3] = {{6, 10}, {12, 25}, {18, 45}};

constexpr float kInkWidths[8] = {0.7f, 1.15f, 1.7f, 2.4f, 3.4f, 4.8f, 6.8f, 10.0f};

} // namespace

void StampBrush(const PixelView& v, int x, int y, int radius, BrushShape shape, uint32_t pixel) {
    if (!HasPixels(v) || radius < 0) return;
    const int64_t r = radius;
    const Span rows = ClipSpan(int64_t{y} - r, int64_t{y} + r, v.height);
    const int64_t run = r > 2 ? r / 3 : 1;
    for (int row = rows.lo; row <= rows.hi; ++row) {
        const int64_t j = row - int64_t{y};
        switch (shape) {
        case BrushShape::Round: {
            const auto h = static_cast<int64_t>(std::sqrt(static_cast<double>(r * r - j * j)));
            FillRowSpan(v, row, x - h, x + h, pixel);
            break;
        }
        case BrushShape::Square: FillRowSpan(v, row, x - r, x + r, pixel); break;
        case BrushShape::Slash: FillRowSpan(v, row, x - j, x - j + run, pixel); break;
        case BrushShape::Backslash: FillRowSpan(v, row, x + j, x + j + run, pixel); break;
        }
    }
}

void BrushSegment(const PixelView& v, PicturePoint from, PicturePoint to, int radius, BrushShape shape,
                  uint32_t pixel) {
    const int64_t spacing = radius >= 5 ? radius / 3 : 1;
    int64_t index = 0;
    ForEachLinePixel(from.x, from.y, to.x, to.y, [&](int x, int y) {
        if (index % spacing == 0 || (x == to.x && y == to.y)) StampBrush(v, x, y, radius, shape, pixel);
        ++index;
    });
}

void EraseAt(const PixelView& v, int x, int y, int sizeIndex, bool colourEraser, uint32_t foregroundPixel,
             uint32_t backgroundPixel) {
    if (!HasPixels(v)) return;
    const int64_t h = kEraserSizes[WrapIndex(sizeIndex, 4)] / 2;
    const Span rows = ClipSpan(y - h, y + h, v.height);
    const Span cols = ClipSpan(x - h, x + h, v.width);
    if (cols.lo > cols.hi) return;
    for (int row = rows.lo; row <= rows.hi; ++row) {
        uint32_t* first = RowOf(v, row) + cols.lo;
        uint32_t* const end = RowOf(v, row) + cols.hi + 1;
        if (!colourEraser) {
            std::fill(first, end, backgroundPixel);
            continue;
        }
        for (; first != end; ++first) {
            if (((*first ^ foregroundPixel) & 0xFFFFFFu) == 0) *first = backgroundPixel;
        }
    }
}

void EraseSegment(const PixelView& v, PicturePoint from, PicturePoint to, int sizeIndex, bool colourEraser,
                  uint32_t foregroundPixel, uint32_t backgroundPixel) {
    ForEachLinePixel(from.x, from.y, to.x, to.y, [&](int x, int y) {
        EraseAt(v, x, y, sizeIndex, colourEraser, foregroundPixel, backgroundPixel);
    });
}

int SprayRandom::Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>(state >> 16 & 0x7FFFu);
}

void SprayAt(const PixelView& v, int x, int y, int sizeIndex, uint32_t pixel, SprayRandom* rng) {
    if (!rng) return;
    const SprayTable& t = kSprayTable[WrapIndex(sizeIndex, 3)];
    for (int i = 0; i < t.dots; ++i) {
        // Floating point on purpose: integer division would put nearly every dot on the centre.
        const double a = rng->Next() / 32767.0 * 2 * 3.1415926535;
        const double d = rng->Next() / 32767.0 * t.radius;
        const int64_t dotX = x + static_cast<int64_t>(d * std::cos(a));
        const int64_t dotY = y + static_cast<int64_t>(d * std::sin(a));
        if (!HasPixels(v) || dotX < 0 || dotY < 0 || dotX >= v.width || dotY >= v.height) continue;
        RowOf(v, static_cast<int>(dotY))[dotX] = pixel;
    }
}

void InkDab(const PixelView& v, uint32_t pixel, float cx, float cy, float radius, float opacity) {
    if (!HasPixels(v) || !(opacity > 0)) return;
    const float r = radius >= 0.35f ? radius : 0.35f;
    const float alpha = std::min(opacity, 1.0f);
    const float r2 = Mul(r, r);
    const Span rows = DabSpan(cy, r, v.height);
    const Span cols = DabSpan(cx, r, v.width);
    for (int i = rows.lo; i <= rows.hi; ++i) {
        const float ey = Sub(Add(ToFloat(i), 0.5f), cy);
        const float ey2 = Mul(ey, ey);
        uint32_t* row = RowOf(v, i);
        for (int j = cols.lo; j <= cols.hi; ++j) {
            const float ex = Sub(Add(ToFloat(j), 0.5f), cx);
            const float d2 = Add(ey2, Mul(ex, ex));
            if (d2 > r2) continue;
            const float u = Sub(1.0f, Div(Narrow(std::sqrt(d2)), r));
            const float shaped = Mul(Mul(alpha, Add(Mul(0.65f, u), 0.35f)), Mul(u, u));
            const int cover = static_cast<int>(Add(Mul(shaped, 255.0f), 0.5f));
            if (cover <= 0) continue;
            row[j] = cover > 254 ? pixel : BlendInk(pixel, row[j], static_cast<uint32_t>(cover));
        }
    }
}

float InkBaseWidth(int brushSizeIndex, int brushCustomRadius) {
    if (brushCustomRadius >= 1) return Mul(ToFloat(brushCustomRadius), 0.55f);
    return kInkWidths[std::clamp(brushSizeIndex, 0, 7)];
}

void InkStart(InkStroke* s, const PixelView& v, int x, int y, uint32_t pixel, float baseWidth, uint32_t nowTick) {
    if (!s) return;
    s->active = true;
    s->smoothX = s->prevX = ToFloat(x);
    s->smoothY = s->prevY = ToFloat(y);
    s->pressure = 0.28f;
    s->speed = 0;
    s->lastTick = nowTick;
    InkDab(v, pixel, s->prevX, s->prevY, Mul(baseWidth, Add(Mul(0.6f, s->pressure), 0.4f)),
           Add(Mul(0.4f, s->pressure), 0.5f));
}

void InkSegment(InkStroke* s, const PixelView& v, int x, int y, uint32_t pixel, float baseWidth, uint32_t nowTick) {
    if (!s || !s->active) return;
    s->smoothX = Add(s->smoothX, Mul(Sub(ToFloat(x), s->smoothX), 0.32f));
    s->smoothY = Add(s->smoothY, Mul(Sub(ToFloat(y), s->smoothY), 0.32f));
    const float ex = Sub(s->smoothX, s->prevX), ey = Sub(s->smoothY, s->prevY);
    const float m = Narrow(std::sqrt(Add(Mul(ex, ex), Mul(ey, ey))));
    if (m < 0.4f) return;

    // Unsigned difference: correct across the wrap of the 32-bit tick count.
    const uint32_t elapsed = nowTick - s->lastTick;
    const float dt = elapsed < 1 ? 0.001f : elapsed > 80 ? 0.08f : Mul(static_cast<float>(elapsed), 0.001f);
    s->lastTick = nowTick;
    s->speed = Add(Mul(s->speed, 0.7f), Mul(Div(m, dt), 0.3f));
    const float q = Div(s->speed, 700.0f);
    const float target = q > 1 ? 0.12f : Add(Mul(Sub(1.0f, q), 0.88f), 0.12f);
    const float newPressure = Add(s->pressure, Mul(Sub(target, s->pressure), 0.22f));
    const float steps = Add(Div(m, std::max(Mul(baseWidth, 0.28f), 0.6f)), 0.5f);
    const int n = !(steps < 128.0f) ? 128 : std::max(1, static_cast<int>(steps));

    const float rise = Sub(newPressure, s->pressure);
    for (int i = 1; i <= n; ++i) {
        const float t = Div(static_cast<float>(i), static_cast<float>(n));
        const float p = Add(s->pressure, Mul(t, rise));
        InkDab(v, pixel, Add(s->prevX, Mul(ex, t)), Add(s->prevY, Mul(ey, t)),
               Mul(Add(Mul(p, 0.68f), 0.32f), baseWidth), Add(Mul(p, 0.55f), 0.42f));
    }
    s->prevX = s->smoothX;
    s->prevY = s->smoothY;
    s->pressure = newPressure;
}

void InkFinish(InkStroke* s, const PixelView& v, uint32_t pixel, float baseWidth) {
    if (!s || !s->active) return;
    float z = s->pressure;
    for (int i = 0; i < 3; ++i) {
        z = Mul(z, 0.55f);
        InkDab(v, pixel, s->prevX, s->prevY, Mul(Add(Mul(0.5f, z), 0.25f), baseWidth), Add(Mul(0.35f, z), 0.3f));
    }
    s->active = false;
}
