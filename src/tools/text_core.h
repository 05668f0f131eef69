// The text box's geometry and rules without a window: its rectangle at opening, moving and resizing, handles and
// hit tests, where the edit control sits, where the text lands at the commit, font heights, the size entry and
// the order of the face list. Picture points unless named content or client points.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/view_core.h"
#include "tools/canvas_core.h"

constexpr int kMinPointSize = 1;
constexpr int kMaxPointSize = 1000;
constexpr int kDefaultPointSize = 28;

// Picture pixels, right and bottom exclusive.
struct TextRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TextRect&) const = default;
};

int ClampPointSize(int64_t size);

// The box a Text drag from a to b opens, corners in any order. A click or a drag of at most 39 x 19 gets the
// minimum size for the point size; the box is clipped to the width x height picture on every side, the minimum
// applied again to what the clipping left, and kept at least 40 x 20 where the picture allows.
TextRect TextBoxFromCorners(PicturePoint a, PicturePoint b, int pointSize, int width, int height);

// The edit control's place in canvas client coordinates: 3 screen pixels inside the zoomed box.
struct EditPlacement {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const EditPlacement&) const = default;
};
EditPlacement TextEditPlacement(const TextRect& box, double zoom, int scrollX, int scrollY);

// Handle n (1 top left, clockwise to 8 left middle) as a square of content points; empty for another n.
ContentRect TextBoxHandleRect(const TextRect& box, double zoom, int n);
// The first handle whose square grown by 3 pixels holds the content point, or 0.
int HitTextBoxHandle(const TextRect& box, double zoom, int x, int y);
// Whether the content point lies on the band around the box's edge and on no handle.
bool HitTextBoxBorder(const TextRect& box, double zoom, int x, int y);
// The marching ants one pixel outside the zoomed box, content points.
ContentRect TextBoxAntsRect(const TextRect& box, double zoom);

// A move by (dx, dy) picture pixels from the box at the press: kept on the picture where it fits, never resized.
TextRect MoveTextBox(const TextRect& atPress, int dx, int dy, int width, int height);
// A drag of handle 1..8 by (dx, dy) from the box at the press: never below max(30, size) x max(20, size), clipped
// to the picture, the minimum restored after clipping.
TextRect ResizeTextBox(const TextRect& atPress, int handle, int dx, int dy, int pointSize, int width, int height);

// Picture pixels between the box's edge and the text: the 3 screen pixels of the edit's inset at the zoom.
int TextInset(double zoom);
// Where the commit draws the text: the edit's formatting rectangle (fl, ft, fr: client pixels of the edit)
// scaled back to the picture by the zoom, so the text wraps where the box showed it wrapping.
TextRect TextTargetRect(const TextRect& box, double zoom, int fl, int ft, int fr);
// The part of the picture a transparent edit shows under its text, as x, y, width, height (each side >= 1).
EditPlacement EditBackgroundSource(const TextRect& box, double zoom);

// Font heights in pixels for a resolution in dots per inch (96 when not positive), never below 1.
int EditFontHeight(int pointSize, double zoom, int dpi);
int CommitFontHeight(int pointSize, int dpi);

// The size box's text as a point size: 0 when it is not a positive number, else clamped to 1..1000.
int ParseTextSize(std::wstring_view text);

constexpr int kPreferredFaceCount = 13;
extern const wchar_t* const kPreferredFaces[kPreferredFaceCount];
// The face list from the installed families: the preferred faces that are installed, in their order, then every
// other family sorted without regard to case, without vertical ("@") names or duplicates.
std::vector<std::wstring> OrderFaceList(const std::vector<std::wstring>& installed);
// Index of face in the list, compared without regard to case, or -1.
int FindFace(const std::vector<std::wstring>& list, std::wstring_view face);
// Whether a and b are the same name without regard to the case of ASCII letters.
bool SameFaceName(std::wstring_view a, std::wstring_view b);
// Orders names without regard to the case of ASCII letters, then by their exact characters.
bool FaceNameLess(std::wstring_view a, std::wstring_view b);
