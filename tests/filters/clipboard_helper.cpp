// A second program on the clipboard for the clipboard tests: puts one case there and owns it until told to go,
// holds the clipboard open (with a case put there first), or writes what the clipboard holds to a file. Nothing
// of the program is linked.
//   kolvex_clipboard_helper put <case> | hold [<case>] | dump <file>
// The tests make the named events "KolvexClipHelperReady" (set here once the work is done) and
// "KolvexClipHelperQuit" (set by the test; this program ends then, or after 60 s), and may make
// "KolvexClipHelperRelease" (set by the test: a held clipboard is closed, the program stays its owner).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "filters/clipboard_cases.h"

namespace {

bool OpenPatiently(HWND w) {
    for (int i = 0; i < 200; ++i) {
        if (OpenClipboard(w)) return true;
        Sleep(10);
    }
    return false;
}

HGLOBAL Global(const std::vector<uint8_t>& bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    void* p = h ? GlobalLock(h) : nullptr;
    if (!p) return nullptr;
    memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

HBITMAP BitmapOf(const clipcases::Case& c) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, c.width, c.height);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = c.width;
    bi.bmiHeader.biHeight = -c.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    SetDIBits(screen, bitmap, 0, static_cast<UINT>(c.height), c.rgb.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

bool Put(HWND w, const std::string& name) {
    clipcases::Case c;
    if (!clipcases::FindCase(name, &c) || !OpenPatiently(w)) return false;
    EmptyClipboard();
    const bool ok = c.format == CF_BITMAP ? SetClipboardData(CF_BITMAP, BitmapOf(c)) != nullptr
                                          : SetClipboardData(c.format, Global(c.block)) != nullptr;
    CloseClipboard();
    return ok;
}

bool Dump(HWND w, const wchar_t* file) {
    if (!OpenPatiently(w)) return false;
    FILE* out = _wfopen(file, L"wb");
    if (!out) return false;
    // The DIB block as it is, then the bitmap's pixels as 32-bit top-down rows.
    if (HANDLE dib = GetClipboardData(CF_DIB)) {
        const SIZE_T size = GlobalSize(dib);
        const void* p = GlobalLock(dib);
        const uint32_t n = static_cast<uint32_t>(size);
        fwrite(&n, 4, 1, out);
        fwrite(p, 1, size, out);
        GlobalUnlock(dib);
    }
    if (HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        std::vector<uint32_t> px(static_cast<size_t>(info.bmWidth) * info.bmHeight);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = info.bmWidth;
        bi.bmiHeader.biHeight = -info.bmHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), px.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        const int32_t size[2] = {info.bmWidth, info.bmHeight};
        fwrite(size, 4, 2, out);
        fwrite(px.data(), 4, px.size(), out);
    }
    fclose(out);
    CloseClipboard();
    return true;
}

std::string Narrow(const wchar_t* s) {
    std::string name;
    for (const wchar_t* p = s; *p; ++p)
        name += static_cast<char>(*p);
    return name;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"KolvexClipHelperReady");
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, L"KolvexClipHelperQuit");
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, L"KolvexClipHelperRelease");
    HWND w = CreateWindowExW(0, L"STATIC", L"Kolvex clipboard helper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    const std::wstring mode = argv[1];
    bool ok = false;
    bool held = false;
    if (mode == L"put" && argc >= 3) {
        ok = Put(w, Narrow(argv[2]));
    } else if (mode == L"hold") {
        ok = (argc < 3 || Put(w, Narrow(argv[2]))) && OpenPatiently(w);
        held = ok;
    } else if (mode == L"dump" && argc >= 3) {
        ok = Dump(w, argv[2]);
    }
    if (ready) SetEvent(ready);
    if (!ok) return 1;
    if (mode == L"dump") return 0;
    // The owner must live: the system empties the clipboard soon after its owner ends.
    const DWORD end = GetTickCount() + 60000;
    while (GetTickCount() < end) {
        const DWORD r = MsgWaitForMultipleObjects(quit ? 1 : 0, &quit, FALSE, 50, QS_ALLINPUT);
        if (quit && r == WAIT_OBJECT_0) break;
        if (held && release && WaitForSingleObject(release, 0) == WAIT_OBJECT_0) {
            CloseClipboard();
            held = false;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    if (held) CloseClipboard();
    return 0;
}
