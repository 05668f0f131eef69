#include "base/loaders.h"

#include "base/proc_lookup.h"

ImeLookup g_imeLookup;
Msimg32Lookup g_msimg32Lookup;

const ImeApi& LoadImeApi() {
    if (!g_imeLookup.done) {
        g_imeLookup.done = true;
        HMODULE imm = GetModuleHandleA(g_imeLookup.library);
        if (!imm) imm = LoadLibraryA(g_imeLookup.library);
        g_imeLookup.api.getVirtualKey = LookupProc<decltype(&ImmGetVirtualKey)>(imm, "ImmGetVirtualKey");
    }
    return g_imeLookup.api;
}

const TrackMouseApi& LoadTrackMouseApi() {
    static const TrackMouseApi api = [] {
        TrackMouseApi a;
        a.trackMouseEvent = LookupProc<decltype(&TrackMouseEvent)>(GetModuleHandleW(L"user32.dll"), "TrackMouseEvent");
        if (!a.trackMouseEvent)
            a.trackMouseEvent =
                LookupProc<decltype(&TrackMouseEvent)>(GetModuleHandleW(L"comctl32.dll"), "_TrackMouseEvent");
        return a;
    }();
    return api;
}

const Msimg32Api& LoadMsimg32Api() {
    if (!g_msimg32Lookup.done) {
        g_msimg32Lookup.done = true;
        // Kept for the run once found: every paint of a transparent selection needs it.
        HMODULE module = LoadLibraryA(g_msimg32Lookup.library);
        g_msimg32Lookup.api.transparentBlt = LookupProc<decltype(&TransparentBlt)>(module, "TransparentBlt");
    }
    return g_msimg32Lookup.api;
}

const CommonDialogApi& LoadCommonDialogApi() {
    static const CommonDialogApi api = [] {
        CommonDialogApi a;
        HMODULE module = LoadLibraryA("comdlg32.dll");
        a.getOpenFileName = LookupProc<decltype(&GetOpenFileNameW)>(module, "GetOpenFileNameW");
        a.getSaveFileName = LookupProc<decltype(&GetSaveFileNameW)>(module, "GetSaveFileNameW");
        a.chooseColor = LookupProc<decltype(&ChooseColorW)>(module, "ChooseColorW");
        return a;
    }();
    return api;
}

const DataProtectionApi& LoadDataProtectionApi() {
    static const DataProtectionApi api = [] {
        DataProtectionApi a;
        HMODULE module = LoadLibraryA("crypt32.dll");
        a.protectData = LookupProc<decltype(&CryptProtectData)>(module, "CryptProtectData");
        a.unprotectData = LookupProc<decltype(&CryptUnprotectData)>(module, "CryptUnprotectData");
        return a;
    }();
    return api;
}
