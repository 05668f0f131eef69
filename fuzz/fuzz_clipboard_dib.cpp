// Any bytes as a clipboard DIB block: a block the check passes must convert without reading past its end.
#include "filters/clipboard_core.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The fuzzer's buffer ends exactly at size, so any read past the block is caught.
    DibLayout d;
    if (CheckClipboardDib(data, size, &d) != DibCheck::Ok) return 0;
    if (d.pixelOffset + d.stride * static_cast<uint64_t>(d.height) > size) std::abort();
    if (!CanConvertDibRows(d) || static_cast<uint64_t>(d.width) * d.height > 4'000'000) return 0;
    std::vector<uint32_t> out(static_cast<size_t>(d.width) * d.height);
    ConvertDibRows(data, d, out.data());
    for (uint32_t v : out)
        if ((v >> 24) != 0xFF) std::abort();
    return 0;
}
