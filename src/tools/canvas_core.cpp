#include "tools/canvas_core.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "document/pixel_core.h"

static bool InSquare(int px, int py, int cx, int cy) {
    return px >= cx - 6 && px < cx + 8 && py >= cy - 6 && py < cy + 8;
}

CanvasGrip HitCanvasGrip(double zoom, int width, int height, int contentX, int contentY) {
    // No epsilon here, unlike the zoomed picture extent.
    const int zw = static_cast<int>(std::clamp(width * zoom, -1e8, 1e8));
    const int zh = static_cast<int>(std::clamp(height * zoom, -1e8, 1e8));
    if (InSquare(contentX, contentY, zw, zh)) return CanvasGrip::Corner;
    if (InSquare(contentX, contentY, zw, zh / 2)) return CanvasGrip::Right;
    if (InSquare(contentX, contentY, zw / 2, zh)) return CanvasGrip::Bottom;
    return CanvasGrip::None;
}

static int GrownSide(int side, double delta) {
    const double d = std::clamp(delta, -1e9, 1e9);
    return static_cast<int>(std::clamp(static_cast<double>(side) + d, 1.0, static_cast<double>(kMaxPictureSide)));
}

GripSize GripDragSize(CanvasGrip grip, int width, int height, double zoom, int clientDx, int clientDy) {
    GripSize s{std::max(1, width), std::max(1, height)};
    if (zoom <= 0) return s;
    const double dx = std::trunc(clientDx / zoom);
    const double dy = std::trunc(clientDy / zoom);
    const bool wide = grip == CanvasGrip::Right || grip == CanvasGrip::Corner;
    const bool tall = grip == CanvasGrip::Bottom || grip == CanvasGrip::Corner;
    if (wide) s.width = GrownSide(width, dx);
    if (tall) s.height = GrownSide(height, dy);
    // Keep the area within the limit by trimming the side being dragged (the width for the corner).
    if (static_cast<int64_t>(s.width) * s.height > kMaxPicturePixels) {
        if (wide)
            s.width = static_cast<int>(kMaxPicturePixels / s.height);
        else
            s.height = static_cast<int>(kMaxPicturePixels / s.width);
    }
    return s;
}

int WheelScrollStep(int delta) {
    if (delta >= 120 || delta <= -120) return 60 * (delta / 120);
    return delta > 0 ? 60 : -60;
}

void ResetRightClicks(RightClickSeries* s) { *s = {}; }

bool CountRightClick(RightClickSeries* s, uint32_t now) {
    if (s->count > 0 && now - s->firstTick <= 2000) {
        if (++s->count >= 3) {
            ResetRightClicks(s);
            return true;
        }
        return false;
    }
    s->firstTick = now;
    s->count = 1;
    return false;
}
