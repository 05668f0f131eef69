// The floating selection's rules that need no window: handle squares and hits, the handle resize, stamping,
// clearing and copying within a mask, the one nearest-neighbour sampler, and the lasso's mask. Picture points
// unless named otherwise; masks are row-major from the top row, 1 = inside; images are PixelViews like the
// picture (bottom-up storage, addressed top-down through ReadPixel and WritePixel).
#pragma once
#include <cstdint>
#include <vector>

#include "document/pixel_core.h"
#include "document/view_core.h"

struct SelectionRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
};

// The 5 x 5 square of handle 1..8 (clockwise from the top-left) in content coordinates, right and bottom
// exclusive.
struct HandleSquare {
    int left = 0, top = 0, right = 0, bottom = 0;
};
HandleSquare SelectionHandleSquare(int handle, const SelectionRect& r, double zoom);
// The first handle whose square grown by 2 pixels on every side holds the content point, or 0.
int HitHandleAt(const SelectionRect& r, double zoom, int contentX, int contentY);

// The rectangle a handle drag gives after the pointer moved by (dx, dy) picture pixels from where it started:
// the handle's edges follow; a left or top edge dragged onto or past the opposite one takes that one along at a
// size of 1; the size never passes the picture-size limit.
SelectionRect ResizeWithHandle(int handle, const SelectionRect& start, int64_t dx, int64_t dy);

// The picture size a selection needs once its rectangle is rect: one made from the whole picture and still at the
// origin carries the picture's size, so the picture takes the rectangle's size; any other grows the picture to hold a
// rectangle past its right or bottom edge and never shrinks it.
struct NeededPicture {
    int64_t width = 0, height = 0;
    bool takesSelectionSize = false;
};
NeededPicture PictureSizeForSelection(const SelectionRect& source, const SelectionRect& rect, int pictureWidth,
                                      int pictureHeight);

// Stamps image at (left, top) into picture, within the mask (null: everywhere) and the picture; with
// transparent, pixels whose red, green and blue equal keyRgb (0x00RRGGBB) are left out.
void StampImage(const PixelView& picture, const PixelView& image, const uint8_t* mask, int left, int top,
                bool transparent, uint32_t keyRgb);
// Sets the picture pixels of the area (left, top, maskWidth x maskHeight) that lie in the mask (null: all of
// them) and in the picture to pixel.
void FillArea(const PixelView& picture, int left, int top, int width, int height, const uint8_t* mask, uint32_t pixel);
// Copies the picture's pixels from (left, top) into image, opaque; image pixels whose source lies outside the
// picture are left as they are.
void CopyPictureArea(const PixelView& picture, int left, int top, const PixelView& image);
// Gives every image pixel outside the mask the pixel value.
void FillOutsideMask(const PixelView& image, const uint8_t* mask, uint32_t pixel);

// The one nearest-neighbour sampler of selections and stretches: destination index i takes source index
// min(i x src / dst, src - 1), in 64 bits.
inline int NearestSourceIndex(int64_t i, int64_t src, int64_t dst) {
    const int64_t s = dst > 0 ? i * src / dst : 0;
    return static_cast<int>(s < src - 1 ? s : src - 1);
}
void ScalePixelsNearest(const PixelView& src, const PixelView& dst);
void ScaleMaskNearest(const uint8_t* src, int srcWidth, int srcHeight, uint8_t* dst, int dstWidth, int dstHeight);

// The lasso's box clipped to a width x height picture and its mask: pixel (x, y) is inside when the point
// (x, y) lies inside the polygon through points by the nonzero winding rule, left edges counting, right
// edges not. False when the clipped box holds no inside pixel (or memory runs out): no selection.
[[nodiscard]] bool LassoMask(const std::vector<PicturePoint>& points, int width, int height, SelectionRect* box,
                             std::vector<uint8_t>* mask);
