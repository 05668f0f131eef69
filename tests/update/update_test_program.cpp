// What the update tests serve as a download: a GUI program that leaves a marker when it runs. Built twice:
// with KOLVEX_TEST_INSTALLER it writes its command line and ends at once, as an installer that was started;
// otherwise it takes the snip hot keys, writes "pid=<process id> hotkeys=<how many it got>" and stays, with a
// window, until it is closed.
// The marker is the file KOLVEX_TEST_MARKER names, else "<program>.marker".
#include <windows.h>

#include <string>

namespace {

// Puts the file over the 50,000 bytes below which a download counts as incomplete.
volatile unsigned char g_padding[60000] = {1};

std::wstring MarkerPath() {
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(L"KOLVEX_TEST_MARKER", buffer, 32768);
    if (n > 0 && n < 32768) return buffer;
    n = GetModuleFileNameW(nullptr, buffer, 32768);
    return std::wstring(buffer, n) + L".marker";
}

void WriteMarker(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    HANDLE f = CreateFileW(MarkerPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(f);
}

#ifndef KOLVEX_TEST_INSTALLER
LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
#endif

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef KOLVEX_TEST_INSTALLER
    (void)instance;
    WriteMarker(GetCommandLineW());
    return g_padding[0] == 1 ? 0 : 1;
#else
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"KolvexUpdateTestProgram";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, L"Kolvex update test program", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, instance, nullptr);
    // The program it replaced must have let go of the snip hot keys.
    const int hotKeys = (RegisterHotKey(w, 1, MOD_WIN | MOD_SHIFT, 'S') ? 1 : 0) +
                        (RegisterHotKey(w, 2, MOD_CONTROL | MOD_SHIFT, 'X') ? 1 : 0) +
                        (RegisterHotKey(w, 3, 0, VK_SNAPSHOT) ? 1 : 0);
    WriteMarker(L"pid=" + std::to_wstring(GetCurrentProcessId()) + L" hotkeys=" + std::to_wstring(hotKeys));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return g_padding[0] == 1 ? 0 : 1;
#endif
}
