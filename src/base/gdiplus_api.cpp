#include "base/gdiplus_api.h"

#include "base/proc_lookup.h"

GdiplusApi::~GdiplusApi() { Unload(); }

GdiplusLoad GdiplusApi::Load() {
    Unload();
    module_ = LoadLibraryA("gdiplus.dll");
    if (!module_) return GdiplusLoad::Missing;
    const bool all = ResolveProc(module_, "GdiplusStartup", &Startup) &&
                     ResolveProc(module_, "GdiplusShutdown", &Shutdown) &&
                     ResolveProc(module_, "GdipCreateBitmapFromStream", &CreateBitmapFromStream) &&
                     ResolveProc(module_, "GdipCreateHBITMAPFromBitmap", &CreateHBITMAPFromBitmap) &&
                     ResolveProc(module_, "GdipCreateBitmapFromScan0", &CreateBitmapFromScan0) &&
                     ResolveProc(module_, "GdipDisposeImage", &DisposeImage) &&
                     ResolveProc(module_, "GdipGetImageWidth", &GetImageWidth) &&
                     ResolveProc(module_, "GdipGetImageHeight", &GetImageHeight) &&
                     ResolveProc(module_, "GdipSetImagePalette", &SetImagePalette) &&
                     ResolveProc(module_, "GdipSaveImageToFile", &SaveImageToFile) &&
                     ResolveProc(module_, "GdipGetImageEncodersSize", &GetImageEncodersSize) &&
                     ResolveProc(module_, "GdipGetImageEncoders", &GetImageEncoders);
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
