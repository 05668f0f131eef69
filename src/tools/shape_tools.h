// Multi-click shapes (polygon, curve, path) while they are being built.
#pragma once

// Takes back the last step of an unfinished multi-click shape; false when none is being built, so that
// Undo goes on to the picture.
bool TakeBackUnfinishedShape();
