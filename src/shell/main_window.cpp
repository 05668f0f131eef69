#include "shell/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "capture/snip_window.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "files/file_commands.h"
#include "files/file_core.h"
#include "files/image_load.h"
#include "shell/commands.h"
#include "shell/dialog_frame.h"
#include "shell/menu_bar.h"
#include "shell/recent_files.h"
#include "shell/status_bar.h"
#include "tools/canvas_window.h"
#include "tools/pending_edits.h"
#include "toolbox/color_box.h"
#include "toolbox/shortcuts.h"
#include "toolbox/tool_actions.h"
#include "toolbox/tool_box_core.h"
#include "toolbox/tool_box_window.h"

// The smallest client area that still shows the whole tool box, the palette, the status bar and a small canvas.
constexpr int kMinClientWidth = 270;
constexpr int kMinClientHeight = kBrushBandBottom + 2 + kColorBoxHeight + kStatusBarHeight;

// Only the main window shows an icon; the children's classes carry none. The class's icons are the window's, so
// none is set again at creation.
static void RegisterClassOf(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style, LPCSTR cursor,
                            bool icon = false) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    if (icon) {
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        if (!wc.hIcon) wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    }
    wc.hCursor = LoadCursorA(nullptr, cursor);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = name;
    RegisterClassExW(&wc); // a class that exists already keeps working
}

void RegisterWindowClasses(HINSTANCE instance) {
    RegisterClassOf(instance, kMainWindowClass, MainWindowProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, true);
    RegisterClassOf(instance, kCanvasClass, CanvasProc, CS_DBLCLKS, IDC_ARROW);
    RegisterClassOf(instance, kToolBoxClass, ToolBoxProc, CS_DBLCLKS, IDC_ARROW);
    RegisterClassOf(instance, kColorBoxClass, ColorBoxProc, 0, IDC_ARROW);
    RegisterClassOf(instance, kSnipClass, SnipOverlayProc, 0, IDC_CROSS);
}

HWND CreateMainWindow(HINSTANCE instance, HMENU menuBar) {
    return CreateWindowExW(WS_EX_ACCEPTFILES, kMainWindowClass, L"Kolvex - vantrelo",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr,
                           menuBar, instance, nullptr);
}

static HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* cls, int x, int y, int w, int h) {
    return CreateWindowExW(exStyle, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y, w, h,
                           parent, nullptr, g_app.instance, nullptr);
}

// Grows the main window so that its client area shows the whole picture with its grips beside the tool box and
// above the colour box and status bar, within the work area; it never shrinks or moves.
static void FitMainWindow(int width, int height) {
    RECT work, outer, client, canvasOuter{}, canvasClient{};
    if (!g_app.main || !SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(g_app.main, &outer) ||
        !GetClientRect(g_app.main, &client))
        return;
    if (g_app.canvas) {
        GetWindowRect(g_app.canvas, &canvasOuter);
        GetClientRect(g_app.canvas, &canvasClient);
    }
    FitMetrics m;
    m.nonClientWidth = (outer.right - outer.left) - client.right;
    m.nonClientHeight = (outer.bottom - outer.top) - client.bottom;
    m.canvasEdgeWidth = (canvasOuter.right - canvasOuter.left) - canvasClient.right;
    m.canvasEdgeHeight = (canvasOuter.bottom - canvasOuter.top) - canvasClient.bottom;
    const WindowFit f = FitWindowToPicture(width, height, m, work.right - work.left, work.bottom - work.top,
                                           outer.right - outer.left, outer.bottom - outer.top);
    if (f.resize) SetWindowPos(g_app.main, nullptr, 0, 0, f.width, f.height, SWP_NOMOVE | SWP_NOZORDER);
}

static void OnPictureSizeChanged(bool newDocument) {
    if (!g_app.main) return;
    LayoutChildWindows(g_app.main);
    if (!newDocument) return;
    FitMainWindow(g_canvas.width, g_canvas.height);
    // A new picture replaces whatever an earlier failure said.
    ShowToolDescription();
}

static void SettleBeforeSave() { SettlePendingEdits(Settle::All); }

static void RegisterShellListeners() {
    g_documentListener.titleChanged = UpdateWindowTitle;
    g_documentListener.pictureSizeChanged = OnPictureSizeChanged;
    g_documentListener.fileUsed = AddRecentFile;
    g_settleBeforeSave = SettleBeforeSave;
}

static LRESULT OnCreate(HWND hwnd) {
    g_app.main = hwnd;
    RegisterShellListeners();

    g_app.canvas = CreateChild(hwnd, WS_EX_CLIENTEDGE, kCanvasClass, kToolBoxWidth, 0, 640, 480);
    g_app.toolBox = CreateChild(hwnd, 0, kToolBoxClass, 0, 0, kToolBoxWidth, 480);
    g_app.colorBox = CreateChild(hwnd, 0, kColorBoxClass, 0, 480, 700, kColorBoxHeight);
    g_app.statusBar = CreateStatusBar(hwnd);
    if (!g_app.canvas) return -1;
    // Without memory for the picture the program still runs, with an empty picture that nothing draws on.
    (void)CreateCanvasImage(640, 480, PixelFromColor(g_colors.background));
    LayoutChildWindows(hwnd);
    UpdateWindowTitle();
    ShowToolDescription();
    return 0;
}

void LayoutChildWindows(HWND main) {
    RECT rc;
    GetClientRect(main, &rc);
    const int w = rc.right, h = rc.bottom;
    const int canvasH = h - (g_app.showColorBox ? kColorBoxHeight : 0) - (g_app.showStatusBar ? kStatusBarHeight : 0);
    int canvasX = 0, canvasW = w;
    if (g_app.toolBox) {
        ShowWindow(g_app.toolBox, g_app.showToolBox ? SW_SHOW : SW_HIDE);
        if (g_app.showToolBox) {
            MoveWindow(g_app.toolBox, 0, 0, kToolBoxWidth, canvasH, TRUE);
            canvasX = kToolBoxWidth;
            canvasW = w - kToolBoxWidth;
        }
    }
    if (g_app.colorBox) {
        ShowWindow(g_app.colorBox, g_app.showColorBox ? SW_SHOW : SW_HIDE);
        if (g_app.showColorBox) MoveWindow(g_app.colorBox, 0, canvasH, w, kColorBoxHeight, TRUE);
    }
    if (g_app.statusBar) {
        ShowWindow(g_app.statusBar, g_app.showStatusBar ? SW_SHOW : SW_HIDE);
        if (g_app.showStatusBar) SendMessageW(g_app.statusBar, WM_SIZE, 0, 0);
        SizeStatusParts(w);
    }
    if (g_app.canvas) {
        MoveWindow(g_app.canvas, canvasX, 0, canvasW, canvasH, TRUE);
        ClampScroll();
    }
}

static void OnClose(HWND hwnd) {
    if (g_app.closing) return;
    g_app.closing = true;
    SettlePendingEdits(Settle::All);
    if (g_document.modified) {
        const int answer = OwnedMessageBox(hwnd, L"Save changes to the current picture before closing?", L"Kolvex",
                                           MB_YESNOCANCEL | MB_ICONQUESTION);
        // A save that fails or is cancelled keeps the window open, so the picture is never lost.
        if (answer == IDCANCEL || (answer == IDYES && !SaveDocument(hwnd))) {
            g_app.closing = false;
            return;
        }
    }
    ForgetDocumentChanges();
    DestroyWindow(hwnd);
}

static void OnDestroy(HWND hwnd) {
    UnregisterSnipHotKeys(hwnd);
    ClearUndoHistory();
    // The children are gone with their parent; nothing may reach them through these handles any more.
    g_app.canvas = g_app.toolBox = g_app.colorBox = g_app.statusBar = nullptr;
    g_app.main = nullptr;
    g_app.closing = false;
    PostQuitMessage(0);
}

std::wstring DroppedFileName(HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0) return {};
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    const UINT got = DragQueryFileW(drop, 0, name.data(), length + 1);
    name.resize(got);
    return name;
}

static void OnDropFiles(HDROP drop) {
    const std::wstring name = DroppedFileName(drop);
    DragFinish(drop);
    if (name.empty()) return;
    SettlePendingEdits(Settle::Text);
    // Dropping replaces the picture, so unsaved changes get the same question as Open.
    if (!AskToSaveChanges()) return;
    (void)OpenPictureFile(name); // a file that cannot be read leaves the picture as it is
}

static LRESULT OnWheel(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!g_app.canvas || g_app.wheelForwarding) return 0;
    g_app.wheelForwarding = true;
    const LRESULT r = SendMessageW(g_app.canvas, msg, wParam, lParam);
    g_app.wheelForwarding = false;
    (void)hwnd;
    return r;
}

static void OnGetMinMaxInfo(HWND hwnd, MINMAXINFO* info) {
    RECT r{0, 0, kMinClientWidth, kMinClientHeight};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), GetMenu(hwnd) != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    info->ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
}

static LRESULT OnHotKey(HWND hwnd, WPARAM id, LPARAM lParam) {
    if (id >= kHotKeySnipWinShiftS && id <= kHotKeySnipPrintScreen) {
        StartScreenSnip();
        return 0;
    }
    return DefWindowProcW(hwnd, WM_HOTKEY, id, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_SIZE: LayoutChildWindows(hwnd); return 0;
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(hwnd, reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_CLOSE: OnClose(hwnd); return 0;
    case WM_DESTROY: OnDestroy(hwnd); return 0;
    case WM_COMMAND: DispatchCommand(LOWORD(wParam)); return 0;
    case WM_INITMENUPOPUP: OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam) != 0); break;
    case WM_MENUSELECT: OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam)); return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT) break;
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return TRUE;
    case WM_KEYDOWN:
        if (HandleShortcutKey(static_cast<UINT>(wParam), lParam, hwnd)) return 0;
        break;
    case WM_CHAR:
        if (HandleShortcutChar(wParam)) return 0;
        break;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: return OnWheel(hwnd, msg, wParam, lParam);
    case WM_HOTKEY: return OnHotKey(hwnd, wParam, lParam);
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case kMsgMessageBoxRequest: return OnMessageBoxRequest(lParam);
    case kMsgStatusTextRequest: return OnStatusTextRequest(lParam);
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
