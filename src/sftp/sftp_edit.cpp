// The upload dialog's edit fields: clipboard, select-all, undo and word deletion keys, which the dialog's
// loop would otherwise give to the field twice (as the key and as the character it translates to).
#include <string>

#include "sftp/sftp_dialog.h"
#include "sftp/sftp_text_core.h"
#include "toolbox/shortcuts.h"

namespace {

constexpr wchar_t kPreviousProcProperty[] = L"KolvexSftpEditProc";
constexpr int kEditIds[] = {kSftpHostId,    kSftpPortId,      kSftpUserId,    kSftpPasswordId,
                            kSftpKeyFileId, kSftpRemoteDirId, kSftpFileNameId};

bool CtrlDown() { return GetKeyState(VK_CONTROL) < 0; }
// AltGr arrives as Ctrl+Alt: with it the key types a character (AltGr+C is a letter on some layouts).
bool CtrlKeyDown() { return CtrlDown() && GetKeyState(VK_MENU) >= 0; }

bool IsEdit(HWND w) {
    wchar_t cls[16] = {};
    return w && GetClassNameW(w, cls, 16) && lstrcmpiW(cls, L"Edit") == 0;
}

// The key's letter is resolved as the shortcuts resolve it, so Ctrl+V also pastes under a Korean layout.
bool OnCtrlKey(HWND edit, WPARAM key, LPARAM flags) {
    if (key == VK_BACK) {
        DeletePreviousWord(edit);
        return true;
    }
    switch (NormalizeKey(static_cast<UINT>(key), flags, edit)) {
    case 'A': SendMessageW(edit, EM_SETSEL, 0, -1); return true;
    case 'C': SendMessageW(edit, WM_COPY, 0, 0); return true;
    case 'V': SendMessageW(edit, WM_PASTE, 0, 0); return true;
    case 'X': SendMessageW(edit, WM_CUT, 0, 0); return true;
    case 'Z': SendMessageW(edit, EM_UNDO, 0, 0); return true;
    default: return false;
    }
}

bool OnControlChar(HWND edit, WPARAM ch) {
    switch (ch) {
    case 1: SendMessageW(edit, EM_SETSEL, 0, -1); return true;
    case 3: SendMessageW(edit, WM_COPY, 0, 0); return true;
    case 22: SendMessageW(edit, WM_PASTE, 0, 0); return true;
    case 24: SendMessageW(edit, WM_CUT, 0, 0); return true;
    case 26: SendMessageW(edit, EM_UNDO, 0, 0); return true;
    case 127: DeletePreviousWord(edit); return true;
    default: return false;
    }
}

void Subclass(HWND edit) {
    if (!edit || GetPropW(edit, kPreviousProcProperty)) return;
    const LONG_PTR previous =
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(static_cast<WNDPROC>(SftpEditProc)));
    SetPropW(edit, kPreviousProcProperty, reinterpret_cast<HANDLE>(previous));
}

} // namespace

LRESULT CALLBACK SftpEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kPreviousProcProperty));
    switch (msg) {
    case WM_KEYDOWN:
        if (CtrlKeyDown() && OnCtrlKey(hwnd, wParam, lParam)) return 0;
        break;
    case WM_CHAR:
        if ((wParam == 127 || wParam < 32 || CtrlDown()) && OnControlChar(hwnd, wParam)) return 0;
        break;
    case WM_NCDESTROY: RemovePropW(hwnd, kPreviousProcProperty); break;
    default: break;
    }
    return previous ? CallWindowProcW(previous, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

void DeletePreviousWord(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start == end) {
        if (start == 0) return;
        const int length = GetWindowTextLengthW(edit);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), length + 1)));
        SendMessageW(edit, EM_SETSEL, PreviousWordStart(text, start), start);
    }
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

void SubclassSftpEdits(HWND dialog) {
    for (int id : kEditIds)
        Subclass(GetDlgItem(dialog, id));
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(GetDlgItem(dialog, kSftpProfileId), &info)) Subclass(info.hwndItem);
}

// The key-down would reach the field through the dialog manager and come back as a character: taken here once.
bool SftpPreTranslate(HWND dialog, MSG& msg) {
    if (msg.message != WM_KEYDOWN || !CtrlKeyDown() || !IsEdit(msg.hwnd)) return false;
    if (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd)) return false;
    return OnCtrlKey(msg.hwnd, msg.wParam, msg.lParam);
}
