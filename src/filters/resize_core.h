// The numbers of the Resize and Attributes dialogs without the system: reading an entry, the vertical value the
// aspect box gives, and the size an OK asks for. Sizes stay 64-bit until the picture-size limit has been applied.
#pragma once
#include <cstdint>
#include <string_view>

// An entry stops growing past this, so that every product with a picture side stays within 64 bits.
constexpr int64_t kMaxSizeEntry = 99999999999999;

// The value of the entry's leading digits, 0 for none; at most kMaxSizeEntry + 1.
int64_t ReadSizeEntry(std::wstring_view text);

// The vertical value that follows the horizontal value v while the aspect box is checked: v itself for
// percentages, max(1, v x baseHeight / baseWidth) for pixels. Bases are picture sides, 1..32,767.
int64_t FollowAspect(int64_t v, bool pixelsMode, int baseWidth, int baseHeight);

struct RequestedSize {
    int64_t width = 0;
    int64_t height = 0;
};
// The size the Resize dialog's OK asks for from its entries hv and vv: a percentage below 1 keeps that side,
// a pixel value below 1 becomes 1. Not yet checked against the picture-size limit.
RequestedSize ResizeTarget(int64_t hv, int64_t vv, bool pixelsMode, int baseWidth, int baseHeight);
