#include "document/view_core.h"

#include <algorithm>
#include <cmath>

int PictureToContent(double zoom, int64_t v) {
    const double p = zoom * static_cast<double>(v);
    if (p > kMaxContent) return kMaxContent;
    if (p < -kMaxContent) return -kMaxContent;
    return static_cast<int>(v >= 0 ? p + 1e-9 : p - 1e-9);
}

int ZoomedExtent(double zoom, int side) { return side < 1 ? 0 : PictureToContent(zoom, side); }

PicturePoint ClientToPictureAt(double zoom, int scrollX, int scrollY, int clientX, int clientY) {
    const double x = std::floor((static_cast<double>(clientX) + scrollX) / zoom);
    const double y = std::floor((static_cast<double>(clientY) + scrollY) / zoom);
    auto toInt = [](double d) { return static_cast<int>(std::clamp(d, -2147483648.0, 2147483647.0)); };
    return {toInt(x), toInt(y)};
}

double MinimumZoom(int width, int height) {
    const int s = std::min(width, height);
    return s < 1 ? 1.0 : 10.0 / s;
}

double LimitZoom(double zoom, int width, int height) {
    const double m = MinimumZoom(width, height);
    if (zoom < m) zoom = m;
    if (zoom > kMaxZoom) zoom = kMaxZoom;
    return zoom;
}

void LimitScroll(double zoom, int width, int height, int clientWidth, int clientHeight, int* scrollX, int* scrollY) {
    const int maxX = std::max(0, ZoomedExtent(zoom, width) - clientWidth);
    const int maxY = std::max(0, ZoomedExtent(zoom, height) - clientHeight);
    *scrollX = std::clamp(*scrollX, 0, maxX);
    *scrollY = std::clamp(*scrollY, 0, maxY);
}

int NearestZoomLevel(double z) {
    int best = 0; // a tie keeps the lower level
    for (int i = 1; i < kZoomLevelCount; ++i)
        if (std::fabs(z - kZoomLevels[i]) < std::fabs(z - kZoomLevels[best])) best = i;
    return best;
}

static int NearestLevel(double z) { return NearestZoomLevel(z); }

double MagnifierZoom(double zoom, int button) {
    if (button != 1) return 1.0;
    const int i = NearestZoomLevel(zoom);
    return i <= kZoomLevelCount - 2 ? kZoomLevels[i + 1] : 1.0;
}

static bool OnLevel(double z, int i) {
    const double level = kZoomLevels[i];
    const double t = level < 1 ? 0.0001 : 0.0001 * level;
    return std::fabs(z - level) <= t;
}

double NextZoomIn(double z) {
    if (z >= 15.999999999999) return kMaxZoom;
    const int i = NearestLevel(z);
    if (OnLevel(z, i) && i < kZoomLevelCount - 1 && z + 1e-9 >= 0.125) return kZoomLevels[i + 1];
    if (z < 0.125 && 2 * z >= 0.124999999) return 0.125;
    for (double level : kZoomLevels)
        if (level > z + 1e-9 && level <= 2 * z + 1e-9) return level;
    return std::min(2 * z, kMaxZoom);
}

double NextZoomOut(double z, int width, int height) {
    const double m = MinimumZoom(width, height);
    if (z <= m + 1e-12) return m;
    const int i = NearestLevel(z);
    if (i > 0 && OnLevel(z, i)) return std::max(m, kZoomLevels[i - 1]);
    if (z > 0.125000001) {
        for (int k = kZoomLevelCount - 1; k >= 0; --k)
            if (kZoomLevels[k] < z - 1e-9) return std::max(m, kZoomLevels[k]);
    }
    return std::max(m, z / 2);
}
