#include "shell/dialog_frame.h"

#include <memory>
#include <string>
#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"

void (*g_routeMessage)(MSG& msg) = nullptr;

namespace {

struct ModalFrame {
    HWND dialog;
    HWND owner;
    HWND lastFocus; // the control to focus again when the dialog is reactivated
};

// UI thread only. Its size is the modal depth; only RunModalDialogLoop pushes and pops.
std::vector<ModalFrame> g_modalFrames;
// UI thread only: the dialog classes registered so far.
std::vector<std::wstring> g_registeredClasses;

struct MessageBoxRequest {
    std::wstring text;
    std::wstring caption;
    UINT flags;
    bool sent = false; // the sender waits and keeps the request
};

struct StatusTextRequest {
    int part;
    std::wstring text;
};

HINSTANCE Instance() { return g_app.instance ? g_app.instance : GetModuleHandleW(nullptr); }

bool RegisterDialogClass(const wchar_t* className, WNDPROC proc) {
    for (const std::wstring& name : g_registeredClasses)
        if (name == className) return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    g_registeredClasses.emplace_back(className);
    return true;
}

// C++ division rounds toward zero, as the placement rule wants.
int CentredStart(LONG ownerStart, LONG ownerExtent, int extent) {
    const int start = static_cast<int>(ownerStart) + (static_cast<int>(ownerExtent) - extent) / 2;
    return start < 10 ? 10 : start;
}

bool IsDisabledByModalDialog(HWND w) {
    for (const ModalFrame& frame : g_modalFrames)
        if (frame.owner == w) return true;
    return false;
}

// The open flag of a running modal dialog; null for any other window, whose user data may mean something else.
bool* ModalOpenFlag(HWND dialog) {
    for (const ModalFrame& frame : g_modalFrames)
        if (frame.dialog == dialog) return DialogRecord<bool>(dialog);
    return nullptr;
}

// The innermost running modal dialog whose window still exists, or null.
const ModalFrame* TopModalFrame() {
    for (auto it = g_modalFrames.rbegin(); it != g_modalFrames.rend(); ++it)
        if (IsWindow(it->dialog)) return &*it;
    return nullptr;
}

void ActivateTopModalDialog() {
    const ModalFrame* top = TopModalFrame();
    if (!top) return;
    HWND dialog = top->dialog;
    SetActiveWindow(dialog);
    SetForegroundWindow(dialog);
    HWND focus = GetFocus();
    if (focus && IsChild(dialog, focus)) return;
    focus =
        top->lastFocus && IsChild(dialog, top->lastFocus) ? top->lastFocus : GetNextDlgTabItem(dialog, nullptr, FALSE);
    SetFocus(focus ? focus : dialog);
}

// Keys outside the dialog can only come from a modeless window; they must not reach the shortcuts, which would
// change the picture or open another dialog behind the modal one. Everything else takes the program's routing.
void RouteOutsideDialog(MSG& msg) {
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return;
    }
    if (g_routeMessage) {
        g_routeMessage(msg);
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void RememberFocus(size_t frameIndex) {
    ModalFrame& frame = g_modalFrames[frameIndex];
    HWND focus = GetFocus();
    if (focus && IsChild(frame.dialog, focus)) frame.lastFocus = focus;
}

struct ControlStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlStyle StyleOf(DialogControl kind) {
    // WS_GROUP after a radio group ends it, so that arrow keys stay within the group.
    switch (kind) {
    case DialogControl::Label: return {L"STATIC", SS_LEFT, 0};
    case DialogControl::GroupBox: return {L"BUTTON", BS_GROUPBOX, 0};
    case DialogControl::FirstRadio: return {L"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0};
    case DialogControl::Radio: return {L"BUTTON", BS_AUTORADIOBUTTON, 0};
    case DialogControl::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0};
    case DialogControl::Edit: return {L"EDIT", ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case DialogControl::NumberEdit:
        return {L"EDIT", ES_AUTOHSCROLL | ES_NUMBER | WS_GROUP | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case DialogControl::Button: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case DialogControl::OkButton: return {L"BUTTON", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0};
    case DialogControl::CancelButton: return {L"BUTTON", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0};
    case DialogControl::PasswordEdit:
        return {L"EDIT", ES_AUTOHSCROLL | ES_PASSWORD | WS_GROUP | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case DialogControl::EditableCombo:
        return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_GROUP | WS_TABSTOP, 0};
    case DialogControl::DropDownList: return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_GROUP | WS_TABSTOP, 0};
    }
    return {L"STATIC", SS_LEFT, 0};
}

} // namespace

HWND CreateDialogWindow(const wchar_t* className, WNDPROC proc, const wchar_t* caption, int width, int height,
                        HWND owner) {
    if (!RegisterDialogClass(className, proc)) return nullptr;
    RECT ownerRect = {};
    if (owner && IsWindow(owner)) GetWindowRect(owner, &ownerRect);
    const int x = CentredStart(ownerRect.left, ownerRect.right - ownerRect.left, width);
    const int y = CentredStart(ownerRect.top, ownerRect.bottom - ownerRect.top, height);
    return CreateWindowExW(WS_EX_DLGMODALFRAME, className, caption, WS_POPUPWINDOW | WS_DLGFRAME | WS_VISIBLE, x, y,
                           width, height, owner, nullptr, Instance(), nullptr);
}

HWND AddDialogControl(HWND dialog, DialogControl kind, const wchar_t* text, int x, int y, int width, int height,
                      int id) {
    if (kind == DialogControl::OkButton) id = IDOK;
    if (kind == DialogControl::CancelButton) id = IDCANCEL;
    const ControlStyle s = StyleOf(kind);
    HWND control = CreateWindowExW(s.exStyle, s.className, text, WS_CHILD | WS_VISIBLE | s.style, x, y, width, height,
                                   dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return control;
}

int ModalDialogDepth() { return static_cast<int>(g_modalFrames.size()); }

void RunModalDialogLoop(HWND dialog, HWND owner, HWND focus, bool* open, PreTranslateFn preTranslate) {
    const bool alive = dialog && IsWindow(dialog);
    *open = alive;
    if (alive) SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(open));
    const size_t frameIndex = g_modalFrames.size();
    g_modalFrames.push_back({dialog, owner, focus});
    if (owner) EnableWindow(owner, FALSE);
    if (alive && focus) SetFocus(focus);

    MSG msg;
    while (*open && IsWindow(dialog)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // the caller's loop must end too
            break;
        }
        if (got == -1) break;
        if (preTranslate && preTranslate(dialog, msg)) continue;
        if (!IsDialogMessageW(dialog, &msg)) RouteOutsideDialog(msg);
        RememberFocus(frameIndex);
    }

    *open = false;
    g_modalFrames.pop_back();
    // No message may reach the record through the window once the opener's frame is gone.
    if (IsWindow(dialog)) {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
        DestroyWindow(dialog);
    }
    if (owner && !IsDisabledByModalDialog(owner)) EnableWindow(owner, TRUE);
    RestoreOwnerWindow(owner);
}

void CloseDialog(HWND dialog) {
    if (bool* open = ModalOpenFlag(dialog)) *open = false;
    DestroyWindow(dialog);
}

void OnDialogDestroyed(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (bool* open = ModalOpenFlag(dialog)) {
        *open = false;
        // The loop may be blocked in GetMessage, for instance when a cross-thread SendMessage closed the dialog.
        if (owner) PostMessageW(owner, WM_NULL, 0, 0);
        return;
    }
    RestoreOwnerWindow(owner);
}

HWND DialogOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    return owner && IsWindow(owner) ? owner : g_app.main;
}

void CloseModelessWindow(HWND dialog) {
    HWND owner = DialogOwner(dialog);
    DestroyWindow(dialog);
    RestoreOwnerWindow(owner);
}

LRESULT OkCancelDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, void (*onOk)(HWND dialog)) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) onOk(dialog);
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) CloseDialog(dialog);
        return 0;
    case WM_CLOSE: CloseDialog(dialog); return 0;
    case WM_DESTROY: OnDialogDestroyed(dialog); return 0;
    default: return DefWindowProcW(dialog, msg, wParam, lParam);
    }
}

void RestoreOwnerWindow(HWND w) {
    ReleaseCapture();
    if (!g_modalFrames.empty()) {
        ActivateTopModalDialog();
        return;
    }
    HWND target = w && IsWindow(w) ? w : g_app.main;
    if (!target || !IsWindow(target)) return;
    EnableWindow(target, TRUE);
    SetWindowPos(target, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetActiveWindow(target);
    SetForegroundWindow(target);
    SetFocus(target);
}

int OwnedMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
    if (!owner || !IsWindow(owner)) owner = g_app.main;
    // A box owned by a window a modal dialog disabled would leave that dialog usable behind the box.
    if (IsDisabledByModalDialog(owner))
        if (const ModalFrame* top = TopModalFrame()) owner = top->dialog;
    const int result = MessageBoxW(owner, text, caption, flags);
    RestoreOwnerWindow(owner);
    return result;
}

bool PostMessageBoxRequest(HWND mainWindow, std::wstring_view text, std::wstring_view caption, UINT flags) {
    auto request = std::make_unique<MessageBoxRequest>();
    request->text = text;
    request->caption = caption;
    request->flags = flags;
    if (!PostMessageW(mainWindow, kMsgMessageBoxRequest, 0, reinterpret_cast<LPARAM>(request.get()))) return false;
    (void)request.release(); // the receiver owns it now
    return true;
}

int SendMessageBoxRequest(HWND mainWindow, std::wstring_view text, std::wstring_view caption, UINT flags) {
    MessageBoxRequest request{std::wstring(text), std::wstring(caption), flags, true};
    if (!mainWindow) return 0;
    return static_cast<int>(SendMessageW(mainWindow, kMsgMessageBoxRequest, 0, reinterpret_cast<LPARAM>(&request)));
}

LRESULT OnMessageBoxRequest(LPARAM request) {
    auto* r = reinterpret_cast<MessageBoxRequest*>(request);
    if (!r) return 0;
    if (r->sent) return OwnedMessageBox(g_app.main, r->text.c_str(), r->caption.c_str(), r->flags);
    std::unique_ptr<MessageBoxRequest> owned(r);
    return OwnedMessageBox(g_app.main, owned->text.c_str(), owned->caption.c_str(), owned->flags);
}

bool PostStatusTextRequest(HWND mainWindow, int part, std::wstring_view text) {
    auto request = std::make_unique<StatusTextRequest>();
    request->part = part;
    request->text = text;
    if (!PostMessageW(mainWindow, kMsgStatusTextRequest, 0, reinterpret_cast<LPARAM>(request.get()))) return false;
    (void)request.release(); // the receiver owns it now
    return true;
}

LRESULT OnStatusTextRequest(LPARAM request) {
    std::unique_ptr<StatusTextRequest> owned(reinterpret_cast<StatusTextRequest*>(request));
    if (owned) SetStatusText(owned->part, owned->text.c_str());
    return 0;
}
