// GDI+'s flat API, loaded by name for one decode or one encode and released when it ends; never linked, and
// declared here so that no GDI+ header or import library is needed.
#pragma once
#include <windows.h>
#include <objidl.h>

using GpStatus = int;
constexpr GpStatus kGpOk = 0;
constexpr GpStatus kGpOutOfMemory = 3;
constexpr int kGpPixelFormat32bppRGB = 0x00022009;
constexpr int kGpPixelFormat8bppIndexed = 0x00030803;

struct GdiplusStartupInput {
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
struct GdiplusCodecInfo {
    CLSID clsid;
    GUID formatId;
    const WCHAR* codecName;
    const WCHAR* dllName;
    const WCHAR* formatDescription;
    const WCHAR* filenameExtension;
    const WCHAR* mimeType;
    DWORD flags, version, sigCount, sigSize;
    const BYTE* sigPattern;
    const BYTE* sigMask;
};
struct GdiplusPalette256 {
    UINT flags = 0;
    UINT count = 0;
    UINT32 entries[256] = {}; // 0xAARRGGBB
};

enum class GdiplusLoad { Loaded, Missing, Incomplete };

class GdiplusApi {
public:
    GdiplusApi() = default;
    ~GdiplusApi();
    GdiplusApi(const GdiplusApi&) = delete;
    GdiplusApi& operator=(const GdiplusApi&) = delete;

    // Loads gdiplus.dll and every function below; with anything missing nothing stays loaded.
    [[nodiscard]] GdiplusLoad Load();

    GpStatus(WINAPI* Startup)(ULONG_PTR*, const GdiplusStartupInput*, void*) = nullptr;
    void(WINAPI* Shutdown)(ULONG_PTR) = nullptr;
    GpStatus(WINAPI* CreateBitmapFromStream)(IStream*, void**) = nullptr;
    GpStatus(WINAPI* CreateHBITMAPFromBitmap)(void*, HBITMAP*, DWORD) = nullptr;
    GpStatus(WINAPI* CreateBitmapFromScan0)(INT, INT, INT, INT, BYTE*, void**) = nullptr;
    GpStatus(WINAPI* DisposeImage)(void*) = nullptr;
    GpStatus(WINAPI* GetImageWidth)(void*, UINT*) = nullptr;
    GpStatus(WINAPI* GetImageHeight)(void*, UINT*) = nullptr;
    GpStatus(WINAPI* SetImagePalette)(void*, const GdiplusPalette256*) = nullptr;
    GpStatus(WINAPI* SaveImageToFile)(void*, const WCHAR*, const CLSID*, const void*) = nullptr;
    GpStatus(WINAPI* GetImageEncodersSize)(UINT*, UINT*) = nullptr;
    GpStatus(WINAPI* GetImageEncoders)(UINT, UINT, GdiplusCodecInfo*) = nullptr;

private:
    void Unload();
    HMODULE module_ = nullptr;
};
