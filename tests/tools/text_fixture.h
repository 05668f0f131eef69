// The text tests' fixture and helpers: the Text tool chosen with its button, boxes opened by real drags on the
// canvas, typing posted to the edit control, and the faces the tests draw with.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/app_windows.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "support/app_fixture.h"
#include "tools/font_toolbar_window.h"
#include "tools/text_box.h"
#include "tools/text_tool.h"
#include "toolbox/tool_box_core.h"

// The Latin and the Korean face of the tests, from Debian's fonts-liberation and fonts-nanum; the harness copies
// them into the prefix's Fonts folder.
constexpr wchar_t kLatinFace[] = L"Liberation Sans";
constexpr wchar_t kHangulFace[] = L"NanumGothic";

inline int CALLBACK CollectFamilyName(const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM out) {
    reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(f->lfFaceName);
    return 1;
}

// Every installed family as the system enumerates it, vertical names included.
inline std::vector<std::wstring> EnumeratedFamilies() {
    std::vector<std::wstring> names;
    HDC dc = GetDC(nullptr);
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc, &query, CollectFamilyName, reinterpret_cast<LPARAM>(&names), 0);
    ReleaseDC(nullptr, dc);
    return names;
}

inline bool FaceInstalled(const wchar_t* face) {
    for (const std::wstring& f : EnumeratedFamilies())
        if (_wcsicmp(f.c_str(), face) == 0) return true;
    return false;
}

class TextFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        EnlargeMainWindow();
        ChooseTool(ToolId::Text);
    }
    void ChooseTool(ToolId tool) {
        const BoxRect r = ToolButtonRect(static_cast<int>(tool));
        const LPARAM centre = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        Post(g_app.toolBox, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        Post(g_app.toolBox, WM_LBUTTONUP, 0, centre);
        ASSERT_EQ(g_tools.currentTool, tool);
    }
};

// A Text drag on the canvas from one client point to another; the box opens at the release.
inline void DragTextBox(int x0, int y0, int x1, int y1) { CanvasDrag(1, x0, y0, x1, y1, 3); }

inline void TypeIntoEdit(const std::wstring& text) {
    for (wchar_t c : text)
        Post(TextEditWindow(), WM_CHAR, c, 1);
}

inline std::wstring EditTextNow() {
    wchar_t buf[512] = {};
    if (HWND e = TextEditWindow()) GetWindowTextW(e, buf, 512);
    return buf;
}

inline void SetCtrlHeld(bool ctrl) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
}

inline LPARAM KeyDataOf(UINT vk) { return 1 | static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16; }

// A key posted through the program's routing, with Ctrl held or not in this thread's key state.
inline void PressKeyTo(HWND to, UINT vk, bool ctrl = false) {
    SetCtrlHeld(ctrl);
    Post(to, WM_KEYDOWN, vk, KeyDataOf(vk));
    SetCtrlHeld(false);
}

// The same key sent to the window's procedure, which hands it to the shortcut handler itself.
inline void SendKeyTo(HWND to, UINT vk, bool ctrl = false) {
    SetCtrlHeld(ctrl);
    SendMessageW(to, WM_KEYDOWN, vk, KeyDataOf(vk));
    SetCtrlHeld(false);
}

// The edit control's place in canvas client coordinates.
inline RECT EditRectInCanvas() {
    RECT r{};
    GetWindowRect(TextEditWindow(), &r);
    MapWindowPoints(nullptr, g_app.canvas, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline HWND ToolbarControl(int id) { return GetDlgItem(FontToolbarWindow(), id); }

// Chooses a face in the toolbar's list as a user's selection does: the entry, then the list's notification.
inline bool ChooseFace(const wchar_t* face) {
    HWND list = ToolbarControl(kFaceListId);
    const LRESULT i = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(face));
    if (i < 0) return false;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    Post(FontToolbarWindow(), WM_COMMAND, MAKEWPARAM(kFaceListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return true;
}

// Types a size into the size box as the user does: the box's text, then its edit-change notification.
inline void TypeSize(const wchar_t* text) {
    HWND box = ToolbarControl(kSizeBoxId);
    SetWindowTextW(box, text);
    Post(FontToolbarWindow(), WM_COMMAND, MAKEWPARAM(kSizeBoxId, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(box));
}

inline void ClickStyleButton(int id) {
    HWND b = ToolbarControl(id);
    Post(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(13, 12));
    Post(b, WM_LBUTTONUP, 0, MAKELPARAM(13, 12));
}
