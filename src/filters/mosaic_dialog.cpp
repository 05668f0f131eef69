#include "filters/mosaic_dialog.h"

// The dialog arrives with the mosaic filter; until then it is never open.
HWND MosaicEditWindow() { return nullptr; }
