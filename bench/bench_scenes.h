// Pictures the benchmarks share: a 4,000 x 3,000 picture of one colour and a maze of one-pixel corridors.
#pragma once
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "document/pixel_core.h"

namespace bench {

constexpr int kWidth = 4000, kHeight = 3000;
constexpr uint32_t kOpen = 0xFFFFFFFFu, kWall = 0xFF000000u;

// A depth-first maze: cells on odd coordinates, every cell joined to the tree, so every open pixel is reachable.
inline std::vector<uint32_t> MakeMaze() {
    std::vector<uint32_t> px(static_cast<size_t>(kWidth) * kHeight, kWall);
    const PixelView v{px.data(), kWidth, kHeight};
    const int cellsX = (kWidth - 1) / 2, cellsY = (kHeight - 1) / 2;
    std::vector<bool> seen(static_cast<size_t>(cellsX) * static_cast<size_t>(cellsY), false);
    std::vector<std::pair<int, int>> stack = {{0, 0}};
    seen[0] = true;
    WritePixel(v, 1, 1, kOpen);
    std::mt19937 rng(7u);
    // Each round either visits a new cell or leaves one for good: at most twice the cell count.
    while (!stack.empty()) {
        const auto [cx, cy] = stack.back();
        std::pair<int, int> next[4];
        int count = 0;
        const std::pair<int, int> steps[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& [dx, dy] : steps) {
            const int nx = cx + dx, ny = cy + dy;
            if (nx >= 0 && ny >= 0 && nx < cellsX && ny < cellsY && !seen[static_cast<size_t>(ny) * cellsX + nx])
                next[count++] = {nx, ny};
        }
        if (count == 0) {
            stack.pop_back();
            continue;
        }
        const auto [nx, ny] = next[std::uniform_int_distribution<int>(0, count - 1)(rng)];
        seen[static_cast<size_t>(ny) * cellsX + nx] = true;
        WritePixel(v, cx + nx + 1, cy + ny + 1, kOpen); // the wall between the two cells
        WritePixel(v, 2 * nx + 1, 2 * ny + 1, kOpen);
        stack.push_back({nx, ny});
    }
    return px;
}

} // namespace bench
