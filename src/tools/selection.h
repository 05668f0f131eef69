// The floating selection: the rectangular or free-form part of the picture that is moved, resized, stamped
// back, cleared, cut, copied or cropped to, and the Select and Free-Form Select tools that make it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "document/canvas_image.h"
#include "tools/pending_edits.h"
#include "tools/selection_core.h"
#include "tools/tool_row.h"

// UI thread only. When active is false: width = height = 0, no mask, no image, and lifted, moving and resizing
// are false. A mask, when present, has exactly width x height bytes.
struct FloatingSelection {
    bool active = false;
    int left = 0, top = 0, right = 0, bottom = 0; // picture points, right and bottom exclusive; may overhang
    int width = 0, height = 0;                    // the floating image's size
    int sourceLeft = 0, sourceTop = 0, sourceRight = 0, sourceBottom = 0; // where it was made from
    std::vector<uint8_t> mask; // row-major from the top, 1 = inside; empty for a rectangle
    CanvasImage image;         // the floating image in its own memory DC; pixels null while it has none
    bool lifted = false;       // the source area has been filled with Color 2
    bool moving = false;
    bool resizing = false;
    int handle = 0;         // 1..8 while resizing
    PicturePoint dragStart; // where the move or resize began
    SelectionRect dragRect; // the rectangle at its start
};
extern FloatingSelection g_selection;

bool HasSelection();
// A new selection from the rectangle between the corners (and a mask of its size, or none); an earlier
// selection is settled first. Nothing for an empty rectangle.
void CreateSelection(int x0, int y0, int x1, int y1, std::vector<uint8_t> mask = {});
// Makes the floating image from the picture at the source rectangle, once; false without memory.
[[nodiscard]] bool CopySelectionPixels();
// Cuts the pixels out of the picture, once, with an undo level first; false (with the status text) without
// memory for the image.
bool LiftSelection();
// Ends the selection without stamping; with clear, a selection never lifted first fills its area with Color 2.
void DropSelection(bool clear);
// Stamps the image at the current rectangle and ends the selection; false (selection kept) when the picture
// could not take the size it needs.
bool CommitSelection();
HandleSquare SelectionHandleRect(int handle);
int HitSelectionHandle(POINT content);

// Makes width x height bottom-up pixels a lifted, opaque selection at the picture's top-left with the Select
// tool current, growing the picture to hold it: one undo level. Everything is made before that level, so a
// failure (told to the user) changes nothing.
bool PlaceFloatingImage(const uint32_t* pixels, int width, int height);

// The picture under a selection that was never lifted has changed (a filter): a floating copy made for its mask
// is made again from it, so that a later move carries the changed pixels.
void RefreshSelectionImage();

// Whether a lifted selection floats with its image, and the stamping of it into a copy of the picture that an
// undo level records.
bool SelectionFloats();
void ComposeFloatingSelection(const PixelView& picture);

extern const PendingEdit kSelectionEdit;
extern const ToolRow kFreeFormSelectRow;
extern const ToolRow kSelectRow;

// Draws the selection on the canvas's back buffer: the floating image through its mask, the marquee, the
// handles. In selection_paint.cpp.
void PaintSelection(HDC buffer);
// Stretch-draws src's rectangle into dst's, leaving out pixels of the key colour; msimg32 when it is there.
void TransparentStretch(HDC dst, const RECT& dstRect, HDC src, const RECT& srcRect, COLORREF key);
