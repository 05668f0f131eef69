#include "tools/font_toolbar_window.h"

#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "base/app_windows.h"
#include "base/scoped_handles.h"
#include "shell/command_ids.h"
#include "tools/text_core.h"
#include "tools/text_tool.h"

namespace {

// UI thread only. The handle is forgotten when the window goes with the main window.
HWND g_toolbar = nullptr;
HFONT g_buttonFonts[3] = {};

constexpr DWORD kToolbarStyle = 0x80C80000;     // popup with caption and system menu, shown once made
constexpr DWORD kFaceListStyle = 0x50200003;    // drop-down list with a vertical scroll bar
constexpr DWORD kSizeBoxStyle = 0x50200002;     // editable drop-down
constexpr DWORD kStyleButtonStyle = 0x50001003; // push-like automatic check box
constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr int kDefaultSizeEntry = 12; // "28"

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM names) {
    reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(font->lfFaceName);
    return 1;
}

std::vector<std::wstring> InstalledFamilies(HWND hwnd) {
    std::vector<std::wstring> names;
    ScopedGetDC dc(hwnd);
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    if (dc.get()) EnumFontFamiliesExW(dc.get(), &query, CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
    return names;
}

HWND AddControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND c = CreateWindowExW(0, cls, text, style, x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             g_app.instance, nullptr);
    if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return c;
}

// The installed faces; when the style's face is not among them the first entry becomes the face, so the list
// never names one face while another draws.
void FillFaceList(HWND list) {
    const std::vector<std::wstring> faces = OrderFaceList(InstalledFamilies(list));
    for (const std::wstring& f : faces)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.c_str()));
    int chosen = FindFace(faces, g_textStyle.face);
    if (chosen < 0 && !faces.empty() && faces[0].size() < LF_FACESIZE) {
        chosen = 0;
        wcscpy(g_textStyle.face, faces[0].c_str());
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void FillSizeBox(HWND box) {
    int chosen = kDefaultSizeEntry;
    for (int i = 0; i < static_cast<int>(std::size(kSizes)); ++i) {
        const std::wstring text = std::to_wstring(kSizes[i]);
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (kSizes[i] == g_textStyle.pointSize) chosen = i;
    }
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void AddStyleButton(HWND parent, int index, const wchar_t* text, bool on) {
    static constexpr int kIds[3] = {kBoldButtonId, kItalicButtonId, kUnderlineButtonId};
    g_buttonFonts[index] = CreateFontW(-12, 0, 0, 0, index == 0 ? FW_BOLD : FW_NORMAL, index == 1, index == 2, FALSE,
                                       DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    HWND b = AddControl(parent, L"BUTTON", text, kStyleButtonStyle, 214 + 28 * index, 5, 26, 24, kIds[index]);
    if (!b) return;
    SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(g_buttonFonts[index]), FALSE);
    SendMessageW(b, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

LRESULT OnCreate(HWND hwnd) {
    HWND faces = AddControl(hwnd, L"COMBOBOX", L"", kFaceListStyle, 6, 6, 140, 200, kFaceListId);
    HWND sizes = AddControl(hwnd, L"COMBOBOX", L"", kSizeBoxStyle, 152, 6, 56, 200, kSizeBoxId);
    if (!faces || !sizes) return -1;
    FillFaceList(faces);
    FillSizeBox(sizes);
    AddStyleButton(hwnd, 0, L"B", g_textStyle.bold);
    AddStyleButton(hwnd, 1, L"I", g_textStyle.italic);
    AddStyleButton(hwnd, 2, L"U", g_textStyle.underline);
    return 0;
}

void OnFaceChosen(HWND list) {
    const LRESULT i = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (i < 0 || SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= LF_FACESIZE) return;
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(g_textStyle.face));
    ApplyTextFont();
}

// The chosen entry at a selection change, the typed text at an edit change; what is no positive number is ignored.
void OnSizeChanged(HWND box, bool selection) {
    wchar_t text[32] = {};
    if (selection) {
        const LRESULT i = SendMessageW(box, CB_GETCURSEL, 0, 0);
        if (i < 0 || SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= 32) return;
        SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    } else {
        GetWindowTextW(box, text, 32);
    }
    const int size = ParseTextSize(text);
    if (size < 1) return;
    g_textStyle.pointSize = size;
    ApplyTextFont();
}

void OnStyleButton(HWND button, bool* flag) {
    *flag = SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ApplyTextFont();
}

void OnCommand(int id, int code, HWND control) {
    switch (id) {
    case kFaceListId:
        if (code == CBN_SELCHANGE) OnFaceChosen(control);
        break;
    case kSizeBoxId:
        if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) OnSizeChanged(control, code == CBN_SELCHANGE);
        break;
    case kBoldButtonId: OnStyleButton(control, &g_textStyle.bold); break;
    case kItalicButtonId: OnStyleButton(control, &g_textStyle.italic); break;
    case kUnderlineButtonId: OnStyleButton(control, &g_textStyle.underline); break;
    default: break;
    }
}

void OnDestroy(HWND hwnd) {
    if (hwnd == g_toolbar) g_toolbar = nullptr;
    for (HFONT& f : g_buttonFonts) {
        if (f) DeleteObject(f);
        f = nullptr;
    }
}

bool RegisterToolbarClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FontToolbarProc;
    wc.hInstance = g_app.instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kFontToolbarClass;
    registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

void CreateToolbar() {
    if (!g_app.main || !RegisterToolbarClass()) return;
    RECT main;
    GetWindowRect(g_app.main, &main);
    g_toolbar = CreateWindowExW(WS_EX_TOOLWINDOW, kFontToolbarClass, L"Fonts", kToolbarStyle, main.left + 80,
                                main.top + 80, 310, 64, g_app.main, nullptr, g_app.instance, nullptr);
}

// Shown without taking the activation: the keyboard stays with the main window, its shortcuts and Space.
void ShowToolbarInactive() {
    SetWindowPos(g_toolbar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

} // namespace

LRESULT CALLBACK FontToolbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
    case WM_CLOSE: ShowFontToolbar(false); return 0;
    case WM_DESTROY: OnDestroy(hwnd); return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void ShowFontToolbar(bool show) {
    if (!show) {
        if (g_toolbar) ShowWindow(g_toolbar, SW_HIDE);
        CheckMenuCommand(kCmdToggleTextToolbar, false);
        return;
    }
    if (!g_toolbar) CreateToolbar();
    if (g_toolbar) ShowToolbarInactive();
    CheckMenuCommand(kCmdToggleTextToolbar, g_toolbar != nullptr);
}

void ToggleFontToolbar() { ShowFontToolbar(!(g_toolbar && IsWindowVisible(g_toolbar))); }

HWND FontToolbarWindow() { return g_toolbar; }

bool IsFontToolbarField(HWND target) {
    if (!g_toolbar || !target) return false;
    for (int id : {kFaceListId, kSizeBoxId}) {
        HWND field = GetDlgItem(g_toolbar, id);
        if (field && (target == field || IsChild(field, target))) return true;
    }
    return false;
}
