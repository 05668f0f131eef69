#include "tools/path_core.h"

#include <algorithm>
#include <climits>

int64_t SquaredDistance(int ax, int ay, int bx, int by) {
    const int64_t dx = static_cast<int64_t>(ax) - bx, dy = static_cast<int64_t>(ay) - by;
    return dx * dx + dy * dy;
}

PathSegment SegmentBetween(const PathAnchor& a, const PathAnchor& b) {
    PathSegment s;
    s.straight = !a.curved && !b.curved;
    s.p[0] = {a.x, a.y};
    s.p[1] = a.curved ? PicturePoint{a.outX, a.outY} : PicturePoint{a.x, a.y};
    s.p[2] = b.curved ? PicturePoint{b.inX, b.inY} : PicturePoint{b.x, b.y};
    s.p[3] = {b.x, b.y};
    return s;
}

// 0.5 added, then truncated toward zero: -2.7 becomes -2. Clamped first, so no value can overflow the cast.
static int RoundPathCoordinate(double v) {
    return static_cast<int>(std::clamp(v + 0.5, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

PicturePoint CubicPointRounded(const PicturePoint (&p)[4], double t) {
    const double u = 1 - t;
    const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
    const double x = w0 * p[0].x + w1 * p[1].x + w2 * p[2].x + w3 * p[3].x;
    const double y = w0 * p[0].y + w1 * p[1].y + w2 * p[2].y + w3 * p[3].y;
    return {RoundPathCoordinate(x), RoundPathCoordinate(y)};
}

std::vector<PicturePoint> CubicPolyline(const PicturePoint (&p)[4], int pieces) {
    std::vector<PicturePoint> out;
    out.reserve(static_cast<size_t>(std::max(pieces, 0)) + 1);
    out.push_back(p[0]);
    for (int k = 1; k <= pieces; ++k)
        out.push_back(CubicPointRounded(p, static_cast<double>(k) / pieces));
    return out;
}

std::vector<PicturePoint> FlattenPath(const std::vector<PathAnchor>& anchors) {
    constexpr int kSamples = 16;
    std::vector<PicturePoint> out;
    const size_t n = anchors.size();
    for (size_t i = 0; i < n; ++i) {
        const PathSegment s = SegmentBetween(anchors[i], anchors[(i + 1) % n]);
        if (s.straight) {
            out.push_back(s.p[0]);
            continue;
        }
        for (int j = 0; j < kSamples; ++j)
            out.push_back(CubicPointRounded(s.p, static_cast<double>(j) / kSamples));
    }
    return out;
}

bool PressClosesPath(const std::vector<PathAnchor>& anchors, int x, int y) {
    return anchors.size() >= 3 && SquaredDistance(x, y, anchors.front().x, anchors.front().y) < kPathSnapDistance2;
}

int StrokeSegmentCount(const std::vector<PathAnchor>& anchors, bool closed) {
    const int n = static_cast<int>(anchors.size());
    if (n < 2) return 0;
    if (closed) return n;
    const PathAnchor &first = anchors.front(), &last = anchors.back();
    const bool nearlyClosed = n >= 3 && SquaredDistance(last.x, last.y, first.x, first.y) <= kStrokeCloseDistance2;
    return nearlyClosed ? n : n - 1;
}

void ClearBezierPath(BezierPath* path) { *path = {}; }

PathPressResult PathPress(BezierPath* path, int x, int y) {
    if (path->closed) ClearBezierPath(path);
    if (PressClosesPath(path->anchors, x, y)) {
        path->closed = true;
        path->draggingAnchor = false;
        return PathPressResult::Closed;
    }
    path->anchors.push_back({x, y, x, y, x, y, false});
    path->hasAnchors = true;
    path->draggingAnchor = true;
    return PathPressResult::Added;
}

static int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

void PathDrag(BezierPath* path, int x, int y) {
    if (!path->draggingAnchor || path->anchors.empty()) return;
    PathAnchor& a = path->anchors.back();
    const int64_t dx = static_cast<int64_t>(x) - a.x, dy = static_cast<int64_t>(y) - a.y;
    if (dx == 0 && dy == 0) return;
    a.curved = true;
    a.outX = x;
    a.outY = y;
    a.inX = ClampToInt(a.x - dx);
    a.inY = ClampToInt(a.y - dy);
}

void PathRelease(BezierPath* path) { path->draggingAnchor = false; }

bool PathFinish(BezierPath* path) {
    std::vector<PathAnchor>& a = path->anchors;
    if (a.size() < 2) return false;
    const size_t n = a.size();
    if (n >= 3 && SquaredDistance(a[n - 1].x, a[n - 1].y, a[n - 2].x, a[n - 2].y) < kPathSnapDistance2) a.pop_back();
    path->draggingAnchor = false;
    return true;
}

bool RemoveLastAnchor(BezierPath* path) {
    if (path->anchors.empty()) return false;
    path->anchors.pop_back();
    // The anchor whose handles a held button was pulling is gone; the one before it keeps its handles.
    path->draggingAnchor = false;
    if (path->anchors.empty()) path->hasAnchors = false;
    return true;
}

bool PathEnclosedArea(const std::vector<PathAnchor>& anchors, int width, int height, SelectionRect* box,
                      std::vector<uint8_t>* mask) {
    const std::vector<PicturePoint> polygon = FlattenPath(anchors);
    // The box starts at the far edges and is clipped to the picture before its mask is made (LassoMask).
    return polygon.size() >= 3 && LassoMask(polygon, width, height, box, mask);
}
