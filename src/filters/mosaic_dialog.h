// The modeless mosaic dialog.
#pragma once

constexpr wchar_t kMosaicClass[] = L"KolvexMosaicClass";
