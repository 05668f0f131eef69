#include "filters/resize_core.h"

#include <algorithm>

#include "document/pixel_core.h"
#include "toolbox/tool_options_core.h"

namespace {

// A base beyond a picture side cannot exist; clamping it keeps the products in range whatever a caller passes.
int64_t Side(int base) { return std::clamp<int64_t>(base, 1, kMaxPictureSide); }
int64_t Entry(int64_t v) { return std::clamp<int64_t>(v, 0, kMaxSizeEntry + 1); }

int64_t ScaledSide(int64_t percent, int base) { return percent < 1 ? Side(base) : percent * Side(base) / 100; }

} // namespace

int64_t ReadSizeEntry(std::wstring_view text) { return ParseLeadingDigits(text, kMaxSizeEntry); }

int64_t FollowAspect(int64_t v, bool pixelsMode, int baseWidth, int baseHeight) {
    v = Entry(v);
    if (!pixelsMode) return v;
    return std::max<int64_t>(1, v * Side(baseHeight) / Side(baseWidth));
}

RequestedSize ResizeTarget(int64_t hv, int64_t vv, bool pixelsMode, int baseWidth, int baseHeight) {
    hv = Entry(hv);
    vv = Entry(vv);
    RequestedSize r;
    if (pixelsMode) {
        r = {hv, vv};
    } else {
        r = {ScaledSide(hv, baseWidth), ScaledSide(vv, baseHeight)};
    }
    r.width = std::max<int64_t>(r.width, 1);
    r.height = std::max<int64_t>(r.height, 1);
    return r;
}
