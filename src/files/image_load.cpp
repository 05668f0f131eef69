#include "files/image_load.h"

// No reader exists yet: every load fails and the current picture stays.
bool LoadImageFile(const std::wstring&) { return false; }
bool LoadImageFileAnsi(const std::string&) { return false; }
