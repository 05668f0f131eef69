// Flood fill of a 4-connected area of one colour. Colours match on red, green and blue; alpha is ignored.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/cpu_core.h"
#include "document/pixel_core.h"

enum class FillResult { Filled, Unchanged, OutOfMemory };

// Fills the area around picture point (x, y) with fill. Unchanged: the point is outside the picture or already has
// fill's colour, and nothing was written. OutOfMemory: the queue of span seeds would have held more than
// maxQueuedPoints points, or could not grow; the fill stops at once and the pixels it already wrote stay filled.
// path chooses the row scans; every path gives the same pixels.
[[nodiscard]] FillResult FloodFill(const PixelView& v, int x, int y, uint32_t fill, size_t maxQueuedPoints = SIZE_MAX,
                                   PixelPath path = FastestPixelPath());
