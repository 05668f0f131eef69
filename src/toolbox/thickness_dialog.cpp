#include "toolbox/thickness_dialog.h"

// The dialog arrives with the tool options; until then it is never open.
HWND ThicknessEditWindow() { return nullptr; }
