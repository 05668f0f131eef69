// One typed loader per optional system library or function: a record of function pointers filled by one call,
// so that a system without it still runs and only the feature that needs it is missing. GDI+ and WinINet, loaded
// for one operation at a time, have headers of their own (gdiplus_api.h, wininet_api.h).
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <imm.h>
#include <wincrypt.h>

// The input method's virtual key, for tool letters typed under a Korean input method.
struct ImeApi {
    decltype(&ImmGetVirtualKey) getVirtualKey = nullptr;
};
// UI thread only. Looked up by name at the first key that needs it and kept for the run; tests name a library
// that does not exist to see the keys work without it.
struct ImeLookup {
    const char* library = "imm32.dll";
    bool done = false;
    ImeApi api;
};
extern ImeLookup g_imeLookup;
const ImeApi& LoadImeApi();

// Mouse-leave notifications: user32's TrackMouseEvent, else comctl32's _TrackMouseEvent, else none.
struct TrackMouseApi {
    decltype(&TrackMouseEvent) trackMouseEvent = nullptr;
};
const TrackMouseApi& LoadTrackMouseApi();

// msimg32's key-colour blit, looked up the first time a transparent selection is drawn; null without it.
struct Msimg32Api {
    decltype(&TransparentBlt) transparentBlt = nullptr;
};
// UI thread only; tests name a library that does not exist to see the drawing work without it.
struct Msimg32Lookup {
    const char* library = "msimg32.dll";
    bool done = false;
    Msimg32Api api;
};
extern Msimg32Lookup g_msimg32Lookup;
const Msimg32Api& LoadMsimg32Api();

// The common dialogs and the data protection calls are loaded at their first use, not linked: the program then
// starts without comdlg32 and crypt32 and what they pull in. Null members when the library or a call is missing.
struct CommonDialogApi {
    decltype(&GetOpenFileNameW) getOpenFileName = nullptr;
    decltype(&GetSaveFileNameW) getSaveFileName = nullptr;
    decltype(&ChooseColorW) chooseColor = nullptr;
};
// UI thread only.
const CommonDialogApi& LoadCommonDialogApi();

struct DataProtectionApi {
    decltype(&CryptProtectData) protectData = nullptr;
    decltype(&CryptUnprotectData) unprotectData = nullptr;
};
// UI thread only.
const DataProtectionApi& LoadDataProtectionApi();
