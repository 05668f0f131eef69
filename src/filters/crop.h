// Crop to Selection.
#pragma once

// Command 407: the picture becomes the selection's rectangle.
void CropToSelection();
