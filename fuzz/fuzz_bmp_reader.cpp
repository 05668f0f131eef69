// Any bytes through the BMP reader; a decoded picture must survive the writer and a second read unchanged.
#include "files/bmp_core.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr uint64_t kMaxDecodedPixels = 4'000'000;
constexpr uint64_t kMaxRoundTripPixels = 65'536;

void CheckRoundTrip(const std::vector<uint32_t>& px, int width, int height) {
    std::vector<uint8_t> file(static_cast<size_t>(BmpFileSize24(width, height)));
    MakeBmpHeader24(width, height, file.data());
    const size_t stride = static_cast<size_t>(BmpStride24(width));
    for (int row = 0; row < height; ++row)
        PackBmpRow24(px.data() + static_cast<size_t>(row) * width, width, file.data() + 54 + row * stride);
    const MemoryBytes bytes{file.data(), file.size()};
    const BmpSource src = MemoryBmpSource(&bytes);
    BmpInfo info;
    if (ReadBmpInfo(src, &info) != BmpError::None || info.width != width || info.height != height) std::abort();
    std::vector<uint32_t> again(px.size());
    if (DecodeBmpPixels(src, info, {again.data(), width, height}) != BmpError::None || again != px) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryBytes bytes{data, size};
    const BmpSource src = MemoryBmpSource(&bytes);
    BmpInfo info;
    if (ReadBmpInfo(src, &info) != BmpError::None) return 0;
    if (info.width < 1 || info.height < 1 || info.palette.size() > 256) std::abort();
    const uint64_t pixels = static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height);
    if (pixels > kMaxDecodedPixels) return 0;
    std::vector<uint32_t> px(static_cast<size_t>(pixels));
    const BmpError e = DecodeBmpPixels(src, info, {px.data(), info.width, info.height});
    // Only an RLE stream can turn out damaged once the headers passed.
    if (e == BmpError::BadRle && (info.compression == BmpCompression::Rle8 || info.compression == BmpCompression::Rle4))
        return 0;
    if (e != BmpError::None) std::abort();
    for (uint32_t p : px)
        if ((p >> 24) != 0xFF) std::abort();
    if (pixels <= kMaxRoundTripPixels) CheckRoundTrip(px, info.width, info.height);
    return 0;
}
