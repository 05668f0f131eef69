// The screen snip without the system: the captured area, the dimmed copy, the dragged rectangle and its
// clipping, where the size label and the hint bar go, the clipboard block and the blank-picture test.
// Frames and captures are top-down rows of 32-bit words; pictures are PixelViews (bottom-up).
#pragma once
#include <cstddef>
#include <cstdint>

#include "document/pixel_core.h"

// Right and bottom are exclusive.
struct SnipRect {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool operator==(const SnipRect&) const = default;
};

// The system metrics the area is chosen from, in screen coordinates.
struct ScreenMetrics {
    int primaryWidth = 0, primaryHeight = 0;
    int virtualLeft = 0, virtualTop = 0, virtualWidth = 0, virtualHeight = 0;
};

// The virtual screen (all monitors) when its size is positive both ways, else the primary screen at (0, 0);
// false when neither is usable.
[[nodiscard]] bool ChooseSnipArea(const ScreenMetrics& m, SnipRect* area);

// Every colour channel scaled to c x 140 / 255 (integer division), the fourth byte 0; src and dst may be equal.
void DimPixels(const uint32_t* src, uint32_t* dst, size_t count);

// The rectangle spanned by two points, in either order.
SnipRect SpannedRect(int x0, int y0, int x1, int y1);
// The region a release between the two points captures, cut to the area (0, 0, areaWidth, areaHeight):
// false, to cancel, when a side of the drag is 3 pixels or less or nothing is left inside the area.
[[nodiscard]] bool ClipSnipRect(int x0, int y0, int x1, int y1, int areaWidth, int areaHeight, SnipRect* out);

constexpr int kSnipLabelWidth = 90;
constexpr int kSnipLabelHeight = 20;
constexpr int kSnipHintWidth = 380;
constexpr int kSnipHintTop = 16;
constexpr int kSnipHintBottom = 44;
// The size label: below the selection, or above it when it would reach the area's bottom edge.
SnipRect SnipLabelRect(const SnipRect& selection, int areaHeight);
// What a selection paints beyond the dimmed image: the rectangle with its 2-pixel frame, which reaches one pixel
// past the left and top edges, and the label; empty for an empty selection.
SnipRect SnipDamageRect(const SnipRect& selection, int areaHeight);
// The hint bar, centred at the top of the area.
SnipRect SnipHintRect(int areaWidth);

// The packed 24-bit clipboard block of a width x height capture: 40-byte header, then bottom-up rows.
uint64_t CaptureDibBytes(int width, int height);
// Writes CaptureDibBytes(width, height) bytes from top-down capture rows, through the BMP writer's packer.
void PackCaptureDib(const uint32_t* topDown, int width, int height, uint8_t* out);

// Copies r of a top-down frame frameWidth words wide into out (r.width x r.height, top-down), opaque.
void CopyCaptureRegion(const uint32_t* frame, int frameWidth, const SnipRect& r, uint32_t* out);
// Copies width x height rows in reverse order: top-down becomes bottom-up and back.
void FlipRows(const uint32_t* src, int width, int height, uint32_t* dst);

// True without pixels, with a side below 1, or when every pixel's red, green and blue are white or those of
// backgroundPixel.
bool IsPictureBlank(const PixelView& picture, uint32_t backgroundPixel);

enum class CaptureTarget {
    ReplacePicture,    // an untouched blank page becomes the capture
    FloatingSelection, // anything else gets it as a pasted selection
};
// Only a blank picture that was never changed and has no file becomes the capture.
CaptureTarget ChooseCaptureTarget(bool blank, bool modified, bool hasPath);
