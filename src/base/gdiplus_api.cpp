#include "base/gdiplus_api.h"

namespace {

template <class Fn> bool Resolve(HMODULE module, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *fn != nullptr;
}

} // namespace

GdiplusApi::~GdiplusApi() { Unload(); }

GdiplusLoad GdiplusApi::Load() {
    Unload();
    module_ = LoadLibraryA("gdiplus.dll");
    if (!module_) return GdiplusLoad::Missing;
    const bool all = Resolve(module_, "GdiplusStartup", &Startup) && Resolve(module_, "GdiplusShutdown", &Shutdown) &&
                     Resolve(module_, "GdipCreateBitmapFromStream", &CreateBitmapFromStream) &&
                     Resolve(module_, "GdipCreateHBITMAPFromBitmap", &CreateHBITMAPFromBitmap) &&
                     Resolve(module_, "GdipCreateBitmapFromScan0", &CreateBitmapFromScan0) &&
                     Resolve(module_, "GdipDisposeImage", &DisposeImage) &&
                     Resolve(module_, "GdipGetImageWidth", &GetImageWidth) &&
                     Resolve(module_, "GdipGetImageHeight", &GetImageHeight) &&
                     Resolve(module_, "GdipSetImagePalette", &SetImagePalette) &&
                     Resolve(module_, "GdipSaveImageToFile", &SaveImageToFile) &&
                     Resolve(module_, "GdipGetImageEncodersSize", &GetImageEncodersSize) &&
                     Resolve(module_, "GdipGetImageEncoders", &GetImageEncoders);
    if (all) return GdiplusLoad::Loaded;
    Unload();
    return GdiplusLoad::Incomplete;
}

void GdiplusApi::Unload() {
    Startup = nullptr;
    Shutdown = nullptr;
    CreateBitmapFromStream = nullptr;
    CreateHBITMAPFromBitmap = nullptr;
    CreateBitmapFromScan0 = nullptr;
    DisposeImage = nullptr;
    GetImageWidth = nullptr;
    GetImageHeight = nullptr;
    SetImagePalette = nullptr;
    SaveImageToFile = nullptr;
    GetImageEncodersSize = nullptr;
    GetImageEncoders = nullptr;
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
}
