// The Image menu's transformations: the flips, the quarter turn, the inversion, Clear Image, the stretch of the
// picture and the scale of the floating selection. Each works on the selection when there is one, floating it
// first, and on the picture otherwise, and records one undo level once its result exists: a failure changes
// nothing and records nothing.
#pragma once
#include <cstdint>

void FlipHorizontal();
void FlipVertical();
// A quarter turn counter-clockwise. A selection keeps its left and top, takes the turned size and stays lifted.
// False when nothing was turned (no memory; the user has been told).
bool Rotate90();
// Command 403: red, green and blue become 255 minus their value; every pixel of a floating image, mask or not.
void InvertColors();
// Command 405: the whole picture in Color 2; a selection is then dropped, never stamped.
void ClearImage();

// Commits the text box and settles the selection, then scales the picture to width x height with the one nearest
// sampler. A size outside the picture-size limit is refused with a message before anything is settled.
void StretchPicture(int64_t width, int64_t height);
// Floats the selection and scales its image and mask to width x height at its left and top. A selection made from
// the whole picture and still at the origin (Select All, a paste at least the picture's size) gives the picture
// its new size; any other grows the picture only to hold it. The one level is the lift's or, for a selection
// already lifted, its own; the picture's change of size records none.
void ScaleSelectionImage(int64_t width, int64_t height);
