// Reduction of a picture to at most 256 colours, for formats that hold a palette (GIF).
//
// Method: a picture with at most 256 distinct RGB colours keeps exactly those colours, in order of first
// appearance, so every pixel survives. Otherwise the colours are counted in a 5-5-5 histogram; median cut
// repeatedly splits the box of histogram cells with the largest squared error, at the population median along
// its axis of largest variance, until there are 256 boxes; each box's exact mean colour becomes an entry. Every
// pixel then takes the entry nearest (squared RGB distance) to the mean colour of its histogram cell, looked
// up once per cell. No dithering, so flat areas stay flat. Alpha is ignored throughout.
#pragma once
#include <cstdint>
#include <vector>

struct IndexedPicture {
    std::vector<uint32_t> palette; // 0x00RRGGBB, 1..256 entries
    std::vector<uint8_t> indices;  // one per pixel, in the input's order
    bool exact = false;            // every pixel's colour is in the palette unchanged
};

// px holds width x height pixels in any row order; sides below 1 give an empty picture with a one-entry palette.
// False only when memory runs out; *out then holds nothing to use.
[[nodiscard]] bool QuantizeTo256(const uint32_t* px, int width, int height, IndexedPicture* out);
