// The mosaic filter on the picture, the floating selection and the path's area.
#pragma once
#include <cstdint>
#include <vector>

// Pixelates the picture's rectangle (left, top, width x height) in blocks of n, only where mask (width x height
// bytes, row-major from the top, 1 = inside; empty: everywhere) and the picture are. No undo level: the caller
// records it.
void MosaicRegion(int left, int top, int width, int height, const std::vector<uint8_t>& mask, int n);
// Pixelates the selection's floating image within its mask; while the selection is transparent its Color 2
// pixels are neither counted nor changed.
void MosaicFloatingImage(int n);
// The mosaic command, n clamped to 2..64: the path's area with the Path tool and a usable path, else the
// selection, else the whole picture, each as one undo level. mosaicBlockSize is left as it is.
void ApplyMosaic(int n);
// Ctrl+M: the path's or the selection's mosaic with mosaicBlockSize when there is one to apply, else the dialog.
void MosaicKey();
