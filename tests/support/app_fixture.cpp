#include "document/document_state.h"
#include "support/app_fixture.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "document/canvas_image.h"
#include "document/view_state.h"
#include "shell/status_bar.h"
#include "tools/canvas_state.h"
#include "tools/selection.h"
#include "tools/text_tool.h"
#include "toolbox/color_box.h"
#include "toolbox/tool_box_core.h"
#include "toolbox/tool_state.h"
#include "shell/app.h"
#include "shell/main_window.h"

void AppFixture::SetUp() {
    // Every test starts from the program's start-up state, also when several run in one process.
    g_document = {};
    g_colors = {};
    g_tools = {};
    g_view = {};
    g_canvasState = {};
    DropSelection(false); // frees what an earlier test left floating
    g_textStyle = {};
    g_app = {};
    ForgetMessageBoxAnswer();
    // The real pointer stays out of the way: a system-made mouse move over the canvas, without a button held,
    // would end a drag the test is posting.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    HWND main = StartApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    SetFocus(main);
    PumpMessages();
}

void AppFixture::TearDown() {
    if (!g_app.main) { // the program ended in the test; drop its quit message so the next test starts clean
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        return;
    }
    DestroyWindow(g_app.main);
    // Take the quit message WM_DESTROY posted, so the next test starts with an empty queue.
    MSG msg;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
        if (msg.message == WM_QUIT) break;
        ProcessMessage(msg);
    }
}

void AppFixture::ChoosePencil() {
    const BoxRect r = ToolButtonRect(static_cast<int>(ToolId::Pencil));
    const LPARAM centre = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Post(g_app.toolBox, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    Post(g_app.toolBox, WM_LBUTTONUP, 0, centre);
    ASSERT_EQ(g_tools.currentTool, ToolId::Pencil);
}

void AppFixture::EnlargeMainWindow(int width, int height) {
    SetWindowPos(g_app.main, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
    PumpMessages();
}

void PumpMessages() {
    MSG msg;
    for (int i = 0; i < 100000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // leave it for whoever waits for it
            return;
        }
        ProcessMessage(msg);
    }
}

bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        PumpMessages();
        if (pred()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void Post(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    PostMessageW(window, msg, wParam, lParam);
    PumpMessages();
}

void CanvasPress(int button, int x, int y) {
    Post(g_app.canvas, button == 1 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, button == 1 ? MK_LBUTTON : MK_RBUTTON,
         MAKELPARAM(x, y));
}

void CanvasMove(int x, int y, WPARAM keys) { Post(g_app.canvas, WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }

void CanvasRelease(int button, int x, int y) {
    Post(g_app.canvas, button == 1 ? WM_LBUTTONUP : WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

void CanvasDrag(int button, int x0, int y0, int x1, int y1, int steps) {
    CanvasPress(button, x0, y0);
    for (int i = 1; i <= steps; ++i)
        CanvasMove(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, button == 1 ? MK_LBUTTON : MK_RBUTTON);
    CanvasRelease(button, x1, y1);
}

std::wstring MakeTestFolder(const wchar_t* prefix) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + prefix + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

COLORREF RepaintedCanvasPixel(int x, int y) {
    PumpMessages();
    RedrawWindow(g_app.canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(g_app.canvas);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(g_app.canvas, dc);
    return c;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string data;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0)
        data.append(buffer, got);
    CloseHandle(f);
    return data;
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring EnvironmentValue(const wchar_t* name) {
    std::wstring value(32768, L'\0');
    const DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    value.resize(n < value.size() ? n : 0);
    return value;
}

void RemoveTestFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do
            DeleteFileW((folder + L"\\" + fd.cFileName).c_str());
        while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

HGLOBAL MakeDrop(const std::wstring& name) {
    const size_t bytes = sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t);
    HGLOBAL h = GlobalAlloc(GHND, bytes);
    auto* df = static_cast<DROPFILES*>(GlobalLock(h));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), name.c_str(), name.size() * sizeof(wchar_t));
    GlobalUnlock(h);
    return h;
}

uint32_t PictureAt(int x, int y) {
    GdiFlush();
    return ReadPixel(CanvasPixels(), x, y);
}

uint32_t PictureRgb(int x, int y) { return PictureAt(x, y) & 0xFFFFFF; }

int CountPixelsOtherThan(uint32_t rgb) {
    GdiFlush();
    int n = 0;
    for (int i = 0; i < g_canvas.width * g_canvas.height; ++i)
        n += (g_canvas.pixels[i] & 0xFFFFFF) != rgb;
    return n;
}

void FreshWhitePicture(int width, int height) {
    ASSERT_TRUE(CreateCanvasImage(width, height, 0u));
    FillPixels(CanvasPixels(), 0xFFFFFFFFu);
}

std::wstring MainCaption() {
    wchar_t buf[1024] = {};
    GetWindowTextW(g_app.main, buf, 1024);
    return buf;
}

RECT ChildRectInMain(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, g_app.main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

namespace {
struct BoxAnswer {
    int button = 0;
    std::wstring text;
    bool answered = false;
};
BoxAnswer g_boxAnswer;

BOOL CALLBACK FindBox(HWND hwnd, LPARAM found) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReadStatic(HWND child, LPARAM text) {
    wchar_t cls[32] = {}, buf[512] = {};
    GetClassNameW(child, cls, 32);
    GetWindowTextW(child, buf, 512);
    if (_wcsicmp(cls, L"Static") == 0 && buf[0]) *reinterpret_cast<std::wstring*>(text) = buf;
    return TRUE;
}

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindThreadDialog();
    if (!box) return;
    KillTimer(nullptr, id);
    wchar_t caption[128] = {};
    GetWindowTextW(box, caption, 128);
    g_boxAnswer.text = std::wstring(caption) + L"|" + DialogStaticText(box);
    g_boxAnswer.answered = true;
    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(g_boxAnswer.button), 0);
}
} // namespace

std::wstring DialogStaticText(HWND dialog) {
    std::wstring text;
    EnumChildWindows(dialog, ReadStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

HWND FindThreadDialog() {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    return box;
}

void ForgetMessageBoxAnswer() { g_boxAnswer = {}; }

void AnswerNextMessageBox(int button) {
    g_boxAnswer = {};
    g_boxAnswer.button = button;
    SetTimer(nullptr, 0, 20, AnswerTimer);
}

bool MessageBoxWasAnswered(std::wstring* captionAndText) {
    if (captionAndText) *captionAndText = g_boxAnswer.text;
    return g_boxAnswer.answered;
}
