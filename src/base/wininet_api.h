// WinINet, loaded by name for one operation and released when it ends; never linked.
#pragma once
#include <windows.h>
#include <wininet.h>

class WinInetApi {
public:
    WinInetApi() = default;
    ~WinInetApi();
    WinInetApi(const WinInetApi&) = delete;
    WinInetApi& operator=(const WinInetApi&) = delete;

    // Loads wininet.dll and every function below; false, with nothing loaded, when any is missing.
    [[nodiscard]] bool Load();

    decltype(&::InternetOpenA) InternetOpenA = nullptr;
    decltype(&::InternetOpenUrlA) InternetOpenUrlA = nullptr;
    decltype(&::InternetReadFile) InternetReadFile = nullptr;
    decltype(&::InternetCloseHandle) InternetCloseHandle = nullptr;
    decltype(&::HttpQueryInfoA) HttpQueryInfoA = nullptr;
    decltype(&::InternetSetOptionA) InternetSetOptionA = nullptr;

private:
    void Unload();
    HMODULE module_ = nullptr;
};
