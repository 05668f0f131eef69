// Fuzzy select's region: the pixels 4-connected to a seed whose colour lies within a tolerance of the seed's.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/cpu_core.h"
#include "document/pixel_core.h"
#include "tools/selection_core.h"

// tolerance 0: red, green and blue equal the seed's; above 0: the largest channel difference is at most
// tolerance. Alpha never counts.
bool SimilarColor(uint32_t pixel, uint32_t seed, int tolerance);

enum class RegionResult { Found, Outside, NoMemory };
struct SimilarRegion {
    SelectionRect box;         // the region's bounding box, right and bottom exclusive
    std::vector<uint8_t> mask; // box width x height bytes, row-major from the top, 1 = in the region
};
// The region around picture point (x, y). Every pixel is compared with the seed, never with its neighbour. The
// visited map (W x H bytes) and a queue of at most queueLimit points; NoMemory when either cannot be had, with
// out left empty. path chooses the row scans; every path finds the same region.
[[nodiscard]] RegionResult FindSimilarRegion(const PixelView& picture, int x, int y, int tolerance, SimilarRegion* out,
                                             size_t queueLimit = SIZE_MAX, PixelPath path = FastestPixelPath());
