// Zoom and coordinate maths of the canvas view. Client points are canvas-window pixels, content points are
// client points plus the scroll offsets (zoomed-picture pixels), picture points are picture pixels.
#pragma once
#include <cstdint>

constexpr int kZoomLevelCount = 9;
constexpr double kZoomLevels[kZoomLevelCount] = {0.125, 0.25, 0.5, 1, 2, 4, 6, 8, 16};
constexpr double kMaxZoom = 16.0;
constexpr int kMaxContent = 100000000;

struct PicturePoint {
    int x = 0;
    int y = 0;
};

// Zoomed coordinate of picture coordinate v, limited to +-100,000,000.
int PictureToContent(double zoom, int64_t v);
// Zoomed extent of a picture side: 0 for a side below 1.
int ZoomedExtent(double zoom, int side);
PicturePoint ClientToPictureAt(double zoom, int scrollX, int scrollY, int clientX, int clientY);

// Smallest zoom for a picture: its shorter side never below 10 screen pixels; 1 for a picture without pixels.
double MinimumZoom(int width, int height);
// Brings a zoom factor into [MinimumZoom, 16].
double LimitZoom(double zoom, int width, int height);
// Keeps offsets within 0 .. zoomed size - client size (0 when the picture is smaller than the window).
void LimitScroll(double zoom, int width, int height, int clientWidth, int clientHeight, int* scrollX, int* scrollY);

double NextZoomIn(double zoom);
// Index into kZoomLevels of the level nearest to zoom; a tie goes to the lower one.
int NearestZoomLevel(double zoom);
// The magnifier's click: the left button (1) steps up from the nearest level and wraps from 16 to 1; the right
// button gives 1.
double MagnifierZoom(double zoom, int button);
double NextZoomOut(double zoom, int width, int height);
