// Pointer rules of the canvas that need no window: grip hit tests and sizes, the wheel step, the triple
// right-click series and the marching-ants pattern. Coordinates are content points unless named otherwise.
#pragma once
#include <cstdint>

enum class CanvasGrip : int { None = 0, Right = 1, Bottom = 2, Corner = 3 };

CanvasGrip HitCanvasGrip(double zoom, int width, int height, int contentX, int contentY);

struct GripSize {
    int width = 1;
    int height = 1;
};
// Picture size a grip drag gives after the pointer moved by (clientDx, clientDy) screen pixels from where it
// started; never below 1 and never above the picture-size limit, so a drag cannot ask for an impossible picture.
GripSize GripDragSize(CanvasGrip grip, int width, int height, double zoom, int clientDx, int clientDy);

// Scroll step in pixels for a wheel delta: 60 per whole notch, at least 60 either way.
int WheelScrollStep(int delta);

// Right clicks outside the picture; three within 2000 ms of the first of the series fire.
struct RightClickSeries {
    int count = 0;
    uint32_t firstTick = 0;
};
void ResetRightClicks(RightClickSeries* s);
// Counts a right click at tick count now; true when it completes a triple click (the series is then reset).
bool CountRightClick(RightClickSeries* s, uint32_t now);

constexpr int kAntsPhases = 8;
// Colour of a marching-ants pixel at coordinate c along its edge: 4 black, 4 white, shifted by phase.
inline bool AntsPixelIsWhite(int c, int phase) { return ((c + phase) & 4) != 0; }

struct ContentRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
};
// Calls plot(x, y, white) for each outline pixel of [x0, x1) x [y0, y1) that lies inside clip.
template <class Plot>
void ForEachAntsPixel(int x0, int y0, int x1, int y1, int phase, const ContentRect& clip, Plot plot) {
    if (x0 >= x1 || y0 >= y1) return;
    auto inside = [&](int x, int y) { return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom; };
    for (int x = x0; x < x1; ++x) {
        const bool white = AntsPixelIsWhite(x, phase);
        if (inside(x, y0)) plot(x, y0, white);
        if (y1 - 1 != y0 && inside(x, y1 - 1)) plot(x, y1 - 1, white);
    }
    for (int y = y0 + 1; y < y1 - 1; ++y) {
        const bool white = AntsPixelIsWhite(y, phase);
        if (inside(x0, y)) plot(x0, y, white);
        if (x1 - 1 != x0 && inside(x1 - 1, y)) plot(x1 - 1, y, white);
    }
}
