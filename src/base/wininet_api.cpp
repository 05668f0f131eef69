#include "base/wininet_api.h"

namespace {

template <class Fn> bool Resolve(HMODULE module, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *fn != nullptr;
}

} // namespace

WinInetApi::~WinInetApi() { Unload(); }

bool WinInetApi::Load() {
    Unload();
    module_ = LoadLibraryA("wininet.dll");
    if (!module_) return false;
    const bool all = Resolve(module_, "InternetOpenA", &InternetOpenA) &&
                     Resolve(module_, "InternetOpenUrlA", &InternetOpenUrlA) &&
                     Resolve(module_, "InternetReadFile", &InternetReadFile) &&
                     Resolve(module_, "InternetCloseHandle", &InternetCloseHandle) &&
                     Resolve(module_, "HttpQueryInfoA", &HttpQueryInfoA) &&
                     Resolve(module_, "InternetSetOptionA", &InternetSetOptionA);
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
