// The Bezier path's rules that need no window: its anchors, what a press, a drag, a release and a double-click do
// to them, the segments' control points and sampled points, the flattened polygon and its enclosed area. Picture
// points throughout, unless a caller passes content points to the sampling.
#pragma once
#include <cstdint>
#include <vector>

#include "document/view_core.h"
#include "tools/selection_core.h"

struct PathAnchor {
    int x = 0, y = 0;
    int inX = 0, inY = 0;   // the incoming handle, the control point before the anchor
    int outX = 0, outY = 0; // the outgoing handle
    bool curved = false;    // when clear the handles equal the position and are ignored
};

struct BezierPath {
    std::vector<PathAnchor> anchors;
    bool hasAnchors = false;     // set with the first anchor, cleared when the list empties
    bool closed = false;         // closed on its first anchor
    bool draggingAnchor = false; // the newest anchor's handles follow the pointer
};

// Squared distances below this close the path on its first anchor and drop a double-click's extra anchor.
constexpr int64_t kPathSnapDistance2 = 50;
// A last anchor at most this far (squared) from the first makes the stroke draw the closing segment.
constexpr int64_t kStrokeCloseDistance2 = 49;

int64_t SquaredDistance(int ax, int ay, int bx, int by);

// The segment from a to b: straight when neither is curved; else the cubic with p[0] = a, p[1] = a's outgoing
// handle if a is curved else a, p[2] = b's incoming handle if b is curved else b, p[3] = b.
struct PathSegment {
    bool straight = true;
    PicturePoint p[4];
};
PathSegment SegmentBetween(const PathAnchor& a, const PathAnchor& b);
// The cubic's point at t, rounded as the path rounds every sampled point: 0.5 added, then truncated toward zero.
PicturePoint CubicPointRounded(const PicturePoint (&p)[4], double t);
// The points a curved segment is drawn through: p[0], then B(k / pieces) for k = 1..pieces.
std::vector<PicturePoint> CubicPolyline(const PicturePoint (&p)[4], int pieces);

// The path as a closed polygon for the mosaic and the selection: per segment from anchor i to (i + 1) mod n, a
// straight one gives its start, a curved one B(j / 16) for j = 0..15.
std::vector<PicturePoint> FlattenPath(const std::vector<PathAnchor>& anchors);

// Whether a press at (x, y) closes the path: 3 or more anchors and the first closer than kPathSnapDistance2.
bool PressClosesPath(const std::vector<PathAnchor>& anchors, int x, int y);
// How many segments the stroke draws: n when closed; else n - 1, or n when 3 or more anchors end within
// kStrokeCloseDistance2 of the first.
int StrokeSegmentCount(const std::vector<PathAnchor>& anchors, bool closed);

enum class PathPressResult { Added, Closed };
// A press at a picture point: a closed path starts again; a press on the first anchor closes it; anything else
// appends a corner anchor that the drag then pulls.
PathPressResult PathPress(BezierPath* path, int x, int y);
// The drag: the newest anchor's outgoing handle follows the pointer, the incoming one mirrors it.
void PathDrag(BezierPath* path, int x, int y);
void PathRelease(BezierPath* path);
// A double-click with 2 or more anchors finishes the path (false with fewer: nothing happens); with 3 or more, a
// last anchor closer than kPathSnapDistance2 to the one before, left by the double-click's first press, goes.
bool PathFinish(BezierPath* path);
// Removes the last anchor; false when there is none.
bool RemoveLastAnchor(BezierPath* path);
void ClearBezierPath(BezierPath* path);

// The area the flattened path encloses on a width x height picture: its box clipped to the picture (right and
// bottom exclusive) and the nonzero-winding mask of that box. False when the polygon has fewer than 3 vertices or
// covers no pixel of the picture.
[[nodiscard]] bool PathEnclosedArea(const std::vector<PathAnchor>& anchors, int width, int height, SelectionRect* box,
                                    std::vector<uint8_t>* mask);
