#include "tools/text_core.h"

#include <algorithm>
#include <cmath>

#include "toolbox/tool_options_core.h"

int ClampPointSize(int64_t size) { return static_cast<int>(std::clamp<int64_t>(size, kMinPointSize, kMaxPointSize)); }

// One axis of the opening box: lo..hi from the corners, minimum the click size of that axis, small the largest
// extent that still counts as a click.
static void OpenAxis(int64_t* lo, int64_t* hi, int64_t minimum, int64_t small, int64_t limit) {
    if (*hi - *lo <= small) *hi = *lo + minimum;
    *hi = std::min(*hi, limit);
    *lo = std::max<int64_t>(*lo, 0);
    if (*hi - *lo <= small) *hi = std::min(*lo + minimum, limit);
    if (*hi - *lo <= small) *lo = std::max<int64_t>(0, *hi - (small + 1));
}

TextRect TextBoxFromCorners(PicturePoint a, PicturePoint b, int pointSize, int width, int height) {
    const int64_t size = ClampPointSize(pointSize);
    int64_t l = std::min(a.x, b.x), r = std::max(a.x, b.x), t = std::min(a.y, b.y), bo = std::max(a.y, b.y);
    OpenAxis(&l, &r, std::max<int64_t>(240, 10 * size), 39, width);
    OpenAxis(&t, &bo, std::max<int64_t>(70, 3 * size), 19, height);
    return {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r), static_cast<int>(bo)};
}

EditPlacement TextEditPlacement(const TextRect& box, double zoom, int scrollX, int scrollY) {
    const int x = PictureToContent(zoom, box.left) - scrollX + 3, y = PictureToContent(zoom, box.top) - scrollY + 3;
    // The zoomed extent is pinned at +-100,000,000, so the control is 1 to 99,999,994 pixels.
    const int w = std::max(7, PictureToContent(zoom, int64_t{box.right} - box.left)) - 6;
    const int h = std::max(7, PictureToContent(zoom, int64_t{box.bottom} - box.top)) - 6;
    return {x, y, w, h};
}

namespace {
struct Zoomed {
    int l, t, r, b;
};
Zoomed ZoomedBox(const TextRect& box, double zoom) {
    return {
        PictureToContent(zoom, std::min(box.left, box.right)), PictureToContent(zoom, std::min(box.top, box.bottom)),
        PictureToContent(zoom, std::max(box.left, box.right)), PictureToContent(zoom, std::max(box.top, box.bottom))};
}
bool Inside(const ContentRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }
} // namespace

ContentRect TextBoxHandleRect(const TextRect& box, double zoom, int n) {
    const Zoomed z = ZoomedBox(box, zoom);
    const int xm = static_cast<int>((static_cast<int64_t>(z.l) + z.r) / 2);
    const int ym = static_cast<int>((static_cast<int64_t>(z.t) + z.b) / 2);
    struct Centre {
        int x, y;
    };
    const Centre centres[8] = {{z.l, z.t}, {xm, z.t}, {z.r, z.t}, {z.r, ym},
                               {z.r, z.b}, {xm, z.b}, {z.l, z.b}, {z.l, ym}};
    if (n < 1 || n > 8) return {};
    const Centre c = centres[n - 1];
    return {c.x - 2, c.y - 2, c.x + 3, c.y + 3};
}

int HitTextBoxHandle(const TextRect& box, double zoom, int x, int y) {
    for (int n = 1; n <= 8; ++n) {
        const ContentRect h = TextBoxHandleRect(box, zoom, n);
        if (Inside({h.left - 3, h.top - 3, h.right + 3, h.bottom + 3}, x, y)) return n;
    }
    return 0;
}

bool HitTextBoxBorder(const TextRect& box, double zoom, int x, int y) {
    if (HitTextBoxHandle(box, zoom, x, y)) return false;
    const Zoomed z = ZoomedBox(box, zoom);
    const int band = std::max(4, static_cast<int>(zoom + 0.5)) + 2;
    const ContentRect outer{z.l - band, z.t - band, z.r + band, z.b + band};
    const ContentRect inner{z.l + 5, z.t + 5, z.r - 5, z.b - 5};
    if (inner.left >= inner.right || inner.top >= inner.bottom) return Inside(outer, x, y);
    return Inside(outer, x, y) && !Inside(inner, x, y);
}

static int TruncatedZoom(double zoom, int v) {
    const double p = std::trunc(zoom * v);
    return static_cast<int>(std::clamp<double>(p, -kMaxContent, kMaxContent));
}

ContentRect TextBoxAntsRect(const TextRect& box, double zoom) {
    return {TruncatedZoom(zoom, box.left) - 1, TruncatedZoom(zoom, box.top) - 1, TruncatedZoom(zoom, box.right) + 1,
            TruncatedZoom(zoom, box.bottom) + 1};
}

// One axis of a move: lo..hi shifted by d, kept inside 0..limit where it fits, its extent unchanged.
static void MoveAxis(int64_t lo0, int64_t hi0, int64_t d, int64_t limit, int64_t* lo, int64_t* hi) {
    *lo = lo0 + d;
    *hi = hi0 + d;
    if (*lo < 0) {
        *lo = 0;
        *hi = hi0 - lo0;
    }
    if (*hi > limit) {
        *lo -= *hi - limit;
        *hi = limit;
        if (*lo < 0) {
            *hi = limit - *lo;
            *lo = 0;
        }
    }
}

TextRect MoveTextBox(const TextRect& atPress, int dx, int dy, int width, int height) {
    int64_t l, t, r, b;
    MoveAxis(atPress.left, atPress.right, dx, width, &l, &r);
    MoveAxis(atPress.top, atPress.bottom, dy, height, &t, &b);
    return {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r), static_cast<int>(b)};
}

TextRect ResizeTextBox(const TextRect& atPress, int handle, int dx, int dy, int pointSize, int width, int height) {
    const int64_t size = ClampPointSize(pointSize);
    const int64_t mw = std::max<int64_t>(30, size), mh = std::max<int64_t>(20, size);
    const bool leftEdge = handle == 1 || handle == 7 || handle == 8;
    const bool rightEdge = handle == 3 || handle == 4 || handle == 5;
    const bool topEdge = handle >= 1 && handle <= 3;
    const bool bottomEdge = handle >= 5 && handle <= 7;
    int64_t l = atPress.left, t = atPress.top, r = atPress.right, b = atPress.bottom;
    if (leftEdge) l = std::min<int64_t>(l + dx, r - mw);
    if (rightEdge) r = std::max<int64_t>(r + dx, l + mw);
    if (topEdge) t = std::min<int64_t>(t + dy, b - mh);
    if (bottomEdge) b = std::max<int64_t>(b + dy, t + mh);
    l = std::max<int64_t>(l, 0);
    t = std::max<int64_t>(t, 0);
    r = std::min<int64_t>(r, width);
    b = std::min<int64_t>(b, height);
    if (r - l < mw) {
        if (leftEdge)
            l = r - mw;
        else
            r = l + mw;
    }
    if (b - t < mh) {
        if (topEdge)
            t = b - mh;
        else
            b = t + mh;
    }
    return {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r), static_cast<int>(b)};
}

int TextInset(double zoom) {
    if (zoom >= 1) return 3 / static_cast<int>(zoom);
    return static_cast<int>(std::trunc(std::min(3 / zoom, 1e9)));
}

// trunc(v / zoom), pinned to the int range.
static int64_t Unzoom(int v, double zoom) {
    const double q = std::trunc(static_cast<double>(v) / zoom);
    return static_cast<int64_t>(std::clamp(q, -4e9, 4e9));
}

TextRect TextTargetRect(const TextRect& box, double zoom, int fl, int ft, int fr) {
    const int64_t inset = TextInset(zoom);
    int64_t x1 = box.left + inset + Unzoom(std::max(0, fl), zoom);
    int64_t y1 = box.top + inset + Unzoom(std::max(0, ft), zoom);
    int64_t x2 = fr > fl ? x1 + Unzoom(fr - fl, zoom) : box.right - inset;
    int64_t y2 = box.bottom - inset;
    x1 = std::min<int64_t>(x1, box.right);
    x2 = std::min<int64_t>(x2, box.right);
    y1 = std::min<int64_t>(y1, box.bottom);
    y2 = std::min<int64_t>(y2, box.bottom);
    return {static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2)};
}

EditPlacement EditBackgroundSource(const TextRect& box, double zoom) {
    const int64_t inset = TextInset(zoom);
    const int64_t w = std::max<int64_t>(1, int64_t{box.right} - box.left - 2 * inset);
    const int64_t h = std::max<int64_t>(1, int64_t{box.bottom} - box.top - 2 * inset);
    auto pin = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return {pin(box.left + inset), pin(box.top + inset), pin(w), pin(h)};
}

// MulDiv's rounding for the non-negative values font heights come from.
static int64_t MulDivRounded(int64_t a, int64_t b, int64_t c) { return (a * b + c / 2) / c; }

int EditFontHeight(int pointSize, double zoom, int dpi) {
    const int64_t scaled = static_cast<int64_t>(std::trunc(ClampPointSize(pointSize) * std::min(zoom, kMaxZoom)));
    return static_cast<int>(std::max<int64_t>(1, MulDivRounded(std::max<int64_t>(0, scaled), dpi > 0 ? dpi : 96, 72)));
}

int CommitFontHeight(int pointSize, int dpi) {
    return static_cast<int>(std::max<int64_t>(1, MulDivRounded(ClampPointSize(pointSize), dpi > 0 ? dpi : 96, 72)));
}

int ParseTextSize(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    if (i < text.size() && text[i] == L'+') ++i;
    const int64_t v = ParseLeadingDigits(text.substr(i), kMaxPointSize);
    return v < 1 ? 0 : ClampPointSize(v);
}

const wchar_t* const kPreferredFaces[kPreferredFaceCount] = {
    L"Arial",  L"Courier New",   L"Times New Roman", L"Tahoma", L"MS Sans Serif", L"Verdana", L"Georgia",
    L"Impact", L"Comic Sans MS", L"Gulim",           L"Dotum",  L"Batang",        L"Gungsuh"};

static wchar_t FoldAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameFaceName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool FaceNameLess(std::wstring_view a, std::wstring_view b) {
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [](wchar_t x, wchar_t y) { return FoldAscii(x) < FoldAscii(y); });
    return less || (SameFaceName(a, b) && a < b);
}

int FindFace(const std::vector<std::wstring>& list, std::wstring_view face) {
    for (size_t i = 0; i < list.size(); ++i)
        if (SameFaceName(list[i], face)) return static_cast<int>(i);
    return -1;
}

std::vector<std::wstring> OrderFaceList(const std::vector<std::wstring>& installed) {
    std::vector<std::wstring> out, rest;
    for (const wchar_t* preferred : kPreferredFaces) {
        const int i = FindFace(installed, preferred);
        if (i >= 0) out.push_back(installed[static_cast<size_t>(i)]);
    }
    for (const std::wstring& name : installed)
        if (!name.empty() && name[0] != L'@' && FindFace(out, name) < 0) rest.push_back(name);
    std::sort(rest.begin(), rest.end(),
              [](const std::wstring& a, const std::wstring& b) { return FaceNameLess(a, b); });
    // Names that differ only in case sort next to each other; one of them stays.
    rest.erase(std::unique(rest.begin(), rest.end(),
                           [](const std::wstring& a, const std::wstring& b) { return SameFaceName(a, b); }),
               rest.end());
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}
