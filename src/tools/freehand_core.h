// Pixel work of the brush, ink pen, airbrush and eraser, in picture coordinates. Every write is clipped
// to the picture; nothing here takes an undo snapshot or repaints.
#pragma once
#include <cstdint>

#include "document/pixel_core.h"
#include "document/view_core.h"

enum class BrushShape { Round = 0, Square = 1, Slash = 2, Backslash = 3 }; // brushShape / 3

// The shaped brush's footprint centred on (x, y), set to pixel without blending.
void StampBrush(const PixelView& v, int x, int y, int radius, BrushShape shape, uint32_t pixel);
// Stamps along the line from -> to (pencil stepping, both ends): points are numbered from 0 at from, and every
// multiple of the spacing (1, or radius / 3 from radius 5 up) is stamped, the end point always.
void BrushSegment(const PixelView& v, PicturePoint from, PicturePoint to, int radius, BrushShape shape, uint32_t pixel);

// The eraser square, kEraserSizes[sizeIndex % 4] / 2 either side of (x, y), becomes backgroundPixel. The colour
// eraser replaces only pixels whose red, green and blue equal foregroundPixel's (alpha ignored).
void EraseAt(const PixelView& v, int x, int y, int sizeIndex, bool colourEraser, uint32_t foregroundPixel,
             uint32_t backgroundPixel);
// EraseAt at every point of the line from -> to, both ends included.
void EraseSegment(const PixelView& v, PicturePoint from, PicturePoint to, int sizeIndex, bool colourEraser,
                  uint32_t foregroundPixel, uint32_t backgroundPixel);

// The spray's own generator, values 0..32767, so that every build and C library gives the same dots.
// The program keeps one for its whole run and never reseeds it.
struct SprayRandom {
    uint32_t state = 1;
    int Next();
};
// One burst around (x, y): 10, 25 or 45 dots within radius 6, 12 or 18 by sizeIndex % 3. Dots outside the
// picture are dropped but still use up their random numbers.
void SprayAt(const PixelView& v, int x, int y, int sizeIndex, uint32_t pixel, SprayRandom* rng);

// One soft round dab centred on (cx, cy), where pixel (x, y) covers x..x+1, y..y+1; opacity 0..1.
void InkDab(const PixelView& v, uint32_t pixel, float cx, float cy, float radius, float opacity);

// The stroke being drawn with the ink pen. UI thread only.
struct InkStroke {
    bool active = false;
    float smoothX = 0, smoothY = 0; // smoothed pen position, picture pixels
    float prevX = 0, prevY = 0;     // where the last drawn segment ended
    float pressure = 0;             // simulated, 0.12..1; 0.28 at the start of a stroke
    float speed = 0;                // smoothed, pixels per second
    uint32_t lastTick = 0;          // millisecond tick of the last drawn segment
};
// The ink pen's base width: brushCustomRadius * 0.55 when it is at least 1, else by brushSizeIndex (clamped 0..7).
float InkBaseWidth(int brushSizeIndex, int brushCustomRadius);
// Ticks are milliseconds of a wrapping 32-bit clock, passed in so that results do not depend on timing.
void InkStart(InkStroke* s, const PixelView& v, int x, int y, uint32_t pixel, float baseWidth, uint32_t nowTick);
// A pointer move while the stroke is active; may draw nothing when the smoothed pen has hardly moved.
void InkSegment(InkStroke* s, const PixelView& v, int x, int y, uint32_t pixel, float baseWidth, uint32_t nowTick);
// Button-up: three tapering dabs at the end of the last drawn segment; ends the stroke.
void InkFinish(InkStroke* s, const PixelView& v, uint32_t pixel, float baseWidth);
