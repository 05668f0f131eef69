#include "base/wininet_api.h"

#include "base/proc_lookup.h"

WinInetApi::~WinInetApi() { Unload(); }

bool WinInetApi::Load() {
    Unload();
    module_ = LoadLibraryA("wininet.dll");
    if (!module_) return false;
    const bool all = ResolveProc(module_, "InternetOpenA", &InternetOpenA) &&
                     ResolveProc(module_, "InternetOpenUrlA", &InternetOpenUrlA) &&
                     ResolveProc(module_, "InternetReadFile", &InternetReadFile) &&
                     ResolveProc(module_, "InternetCloseHandle", &InternetCloseHandle) &&
                     ResolveProc(module_, "HttpQueryInfoA", &HttpQueryInfoA) &&
                     ResolveProc(module_, "InternetSetOptionA", &InternetSetOptionA);
    if (!all) Unload();
    return all;
}

void WinInetApi::Unload() {
    InternetOpenA = nullptr;
    InternetOpenUrlA = nullptr;
    InternetReadFile = nullptr;
    InternetCloseHandle = nullptr;
    HttpQueryInfoA = nullptr;
    InternetSetOptionA = nullptr;
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
}
