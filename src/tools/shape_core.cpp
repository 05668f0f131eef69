#include "tools/shape_core.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

static int Sign(int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

PicturePoint ConstrainLine(PicturePoint from, PicturePoint to, bool shift) {
    if (!shift) return to;
    const int dx = to.x - from.x, dy = to.y - from.y;
    if (2 * std::abs(dy) < std::abs(dx)) return {to.x, from.y};
    if (2 * std::abs(dx) < std::abs(dy)) return {from.x, to.y};
    const int m = std::min(std::abs(dx), std::abs(dy));
    return {from.x + m * Sign(dx), from.y + m * Sign(dy)};
}

ShapeBox ShapeBoxOf(PicturePoint anchor, PicturePoint pointer, bool shift) {
    ShapeBox b{std::min(anchor.x, pointer.x), std::min(anchor.y, pointer.y), std::max(anchor.x, pointer.x),
               std::max(anchor.y, pointer.y)};
    if (!shift) return b;
    const int side = std::max(b.right - b.left, b.bottom - b.top);
    if (pointer.x >= anchor.x)
        b.right = b.left + side;
    else
        b.left = b.right - side;
    if (pointer.y >= anchor.y)
        b.bottom = b.top + side;
    else
        b.top = b.bottom - side;
    return b;
}

// Rounds half away from zero in the direction the line runs, so the head is symmetric for every direction.
static int Offset(double v, double s) { return static_cast<int>(v + s); }

LineOrArrow LineOrArrowGeometry(int x1, int y1, int x2, int y2, int width, bool arrow) {
    LineOrArrow g;
    g.width = std::max(1, width);
    g.shaftEnd = {x2, y2};
    const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (!arrow || length < 0.5) return g;
    g.arrow = true;
    const double ux = dx / length, uy = dy / length;
    double f = 4.0 * g.width + 6, r = 2.0 * g.width + 3;
    if (f > 0.55 * length) {
        const int h = static_cast<int>(0.55 * length);
        if (h <= 4) {
            r = 3;
            f = 4;
        } else {
            r = std::floor(2.0 * h / 3);
            f = h;
        }
    }
    const double sx = ux >= 0 ? 0.5 : -0.5, sy = uy >= 0 ? 0.5 : -0.5;
    g.shaftEnd = {x2 - Offset(0.65 * f * ux, sx), y2 - Offset(0.65 * f * uy, sy)};
    g.head[0] = {x2, y2};
    g.head[1] = {x2 - Offset(f * ux - r * uy, sx), y2 - Offset(f * uy + r * ux, sy)};
    g.head[2] = {x2 - Offset(f * ux + r * uy, sx), y2 - Offset(f * uy - r * ux, sy)};
    return g;
}

std::vector<PicturePoint> CurvePolyline(const CubicPoints& c, double scale) {
    std::vector<PicturePoint> pts;
    pts.reserve(kCurveSteps + 1);
    // Truncated toward zero, past the rounding error of the sum, so a curve through whole points stays on them.
    auto at = [&](double v) {
        const double p = std::clamp(v * scale, -1e8, 1e8);
        return static_cast<int>(p >= 0 ? p + 1e-9 : p - 1e-9);
    };
    pts.push_back({at(c.x[0]), at(c.y[0])});
    for (int k = 1; k <= kCurveSteps; ++k) {
        const double t = k / static_cast<double>(kCurveSteps), u = 1 - t;
        const double a = u * u * u, b = 3 * t * u * u, d = 3 * t * t * u, e = t * t * t;
        pts.push_back({at(a * c.x[0] + b * c.x[1] + d * c.x[2] + e * c.x[3]),
                       at(a * c.y[0] + b * c.y[1] + d * c.y[2] + e * c.y[3])});
    }
    return pts;
}

int PreviewPenWidth(double zoom, int lineWidth) {
    return std::max(1, static_cast<int>(std::min(zoom * lineWidth + 0.5, 1e8)));
}

PolygonStep PolygonRelease(PendingPolygon* p, PicturePoint anchor, PicturePoint q, int button) {
    p->lastButton = button;
    if (!p->inProgress) {
        p->inProgress = true;
        p->points = {anchor, q};
        return PolygonStep::Added;
    }
    const PicturePoint first = p->points.front();
    const long long dx = q.x - first.x, dy = q.y - first.y;
    const bool nearFirst = dx * dx + dy * dy <= 36;
    const bool clickInPlace = p->points.size() >= 3 && q.x == anchor.x && q.y == anchor.y;
    if (nearFirst || clickInPlace) return PolygonStep::Close;
    p->points.push_back(q);
    return PolygonStep::Added;
}

bool PolygonCanCloseByDoubleClick(const PendingPolygon& p) { return p.inProgress && p.points.size() >= 3; }

bool TakeBackPolygonVertex(PendingPolygon* p) {
    if (!p->inProgress || p->points.empty()) return false;
    if (p->points.size() > 2) {
        p->points.pop_back();
    } else {
        p->points.clear();
        p->inProgress = false;
    }
    return true;
}

bool CurveRelease(PendingCurve* c, PicturePoint anchor, PicturePoint q, int button) {
    c->lastButton = button;
    switch (c->stage) {
    case 0:
        c->p[0] = c->p[1] = anchor;
        c->p[2] = c->p[3] = q;
        c->stage = 1;
        return false;
    case 1:
        c->p[1] = q;
        c->stage = 2;
        return false;
    default:
        c->p[2] = q;
        c->stage = 0;
        return true;
    }
}

static CubicPoints Cubic(PicturePoint a, PicturePoint b, PicturePoint c, PicturePoint d) {
    return {{static_cast<double>(a.x), static_cast<double>(b.x), static_cast<double>(c.x), static_cast<double>(d.x)},
            {static_cast<double>(a.y), static_cast<double>(b.y), static_cast<double>(c.y), static_cast<double>(d.y)}};
}

CubicPoints CurvePreviewPoints(const PendingCurve& c, PicturePoint pointer) {
    if (c.stage == 1) return Cubic(c.p[0], pointer, pointer, c.p[3]);
    return Cubic(c.p[0], c.p[1], pointer, c.p[3]);
}

CubicPoints CurveFinalPoints(const PendingCurve& c) { return Cubic(c.p[0], c.p[1], c.p[2], c.p[3]); }
