// Keys through the program's real message loop path: WM_KEYDOWN and WM_CHAR posted to the focused window and
// routed by ProcessMessage, with the modifier state set on this thread's keyboard.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolbox/tool_actions.h"
#include "document/view_state.h"
#include "shell/main_window.h"
#include "support/app_fixture.h"
#include "tools/shape_tools.h"
#include "base/loaders.h"
#include "toolbox/shortcuts.h"
#include "toolbox/thickness_dialog.h"
#include "toolbox/tool_state.h"

namespace {

// Records the commands the keys send to the main window and keeps them from running, so that the table checks
// which command a key gives, not what the command does.
std::vector<int> g_commands;
WNDPROC g_mainProc = nullptr;

LRESULT CALLBACK SpyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        g_commands.push_back(LOWORD(wParam));
        return 0;
    }
    return CallWindowProcW(g_mainProc, hwnd, msg, wParam, lParam);
}

enum Mods { kNone = 0, kCtrl = 1, kShift = 2 };

void SetModifiers(int mods) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = (mods & kCtrl) ? 0x80 : 0;
    state[VK_SHIFT] = state[VK_LSHIFT] = (mods & kShift) ? 0x80 : 0;
    state[VK_MENU] = state[VK_LWIN] = state[VK_RWIN] = 0;
    SetKeyboardState(state);
}

LPARAM KeyData(UINT vk) { return 1 | static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16; }

void PressKey(HWND to, UINT vk, int mods = kNone, LPARAM data = 0) {
    SetModifiers(mods);
    Post(to, WM_KEYDOWN, vk, data ? data : KeyData(vk));
    SetModifiers(kNone);
}

class Shortcuts : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        g_commands.clear();
        g_mainProc =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrW(g_app.main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpyProc)));
    }
    void TearDown() override {
        SetModifiers(kNone);
        if (g_app.main) SetWindowLongPtrW(g_app.main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_mainProc));
        AppFixture::TearDown();
    }
};

TEST_F(Shortcuts, ToolLettersChooseTheirTools) {
    const std::pair<char, ToolId> letters[] = {
        {'A', ToolId::Airbrush},
        {'B', ToolId::Brush},
        {'C', ToolId::Curve},
        {'V', ToolId::Curve},
        {'E', ToolId::Eraser},
        {'F', ToolId::FreeFormSelect},
        {'G', ToolId::Fill},
        {'I', ToolId::PickColor},
        {'K', ToolId::PickColor},
        {'L', ToolId::Line},
        {'M', ToolId::Magnifier},
        {'Z', ToolId::Magnifier},
        {'O', ToolId::Ellipse},
        {'R', ToolId::Rectangle},
        {'S', ToolId::Select},
        {'T', ToolId::Text},
        {'U', ToolId::RoundedRectangle},
        {'W', ToolId::FuzzySelect},
        {'Y', ToolId::Polygon},
        {'P', ToolId::Pencil},
        {'P', ToolId::Path},
        {'R', ToolId::Rectangle},
    };
    for (const auto& [letter, tool] : letters) {
        PressKey(g_app.main, letter);
        EXPECT_EQ(g_tools.currentTool, tool) << letter;
    }
    PressKey(g_app.canvas, 'P', kShift); // the canvas hands keys to the same handler
    EXPECT_EQ(g_tools.currentTool, ToolId::Path);
    // Typed characters do the same, in either case.
    Post(g_app.main, WM_CHAR, 'o');
    EXPECT_EQ(g_tools.currentTool, ToolId::Ellipse);
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(Shortcuts, DigitsBracketsAndCtrlDigitsSetTheCurrentToolsOptions) {
    struct Case {
        ToolId tool;
        UINT vk;
        int mods;
        int ToolOptions::*field;
        int expected;
    } cases[] = {
        {ToolId::Pencil, '3', kNone, &ToolOptions::pencilWidth, 3},
        {ToolId::Brush, '7', kNone, &ToolOptions::brushSizeIndex, 6},
        {ToolId::Line, '4', kNone, &ToolOptions::lineWidth, 4},
        {ToolId::Rectangle, '2', kCtrl, &ToolOptions::fillStyle, 1},
        {ToolId::Ellipse, VK_NUMPAD3, kCtrl, &ToolOptions::fillStyle, 2},
        {ToolId::Eraser, '4', kCtrl, &ToolOptions::eraserSize, 3},
        {ToolId::Airbrush, '1', kCtrl, &ToolOptions::airbrushSize, 0},
        {ToolId::Brush, '2', kCtrl, &ToolOptions::brushSizeIndex, 1},
        {ToolId::FuzzySelect, '4', kNone, &ToolOptions::fuzzyTolerance, 64},
        {ToolId::FuzzySelect, '1', kCtrl, &ToolOptions::fuzzyTolerance, 0},
        {ToolId::Path, '3', kCtrl, &ToolOptions::pathMode, 2},
        {ToolId::Fill, VK_OEM_4, kNone, &ToolOptions::lineWidth, 4},
        {ToolId::Fill, VK_OEM_6, kShift, &ToolOptions::lineWidth, 10},
        {ToolId::Pencil, VK_OEM_6, kNone, &ToolOptions::pencilWidth, 2},
    };
    for (const Case& c : cases) {
        g_tools = {};
        SetTool(c.tool);
        PressKey(g_app.main, c.vk, c.mods);
        EXPECT_EQ(g_tools.*c.field, c.expected) << static_cast<int>(c.tool) << " key " << c.vk << " mods " << c.mods;
        EXPECT_EQ(g_tools.currentTool, c.tool);
    }
    g_tools = {};
    SetTool(ToolId::Line);
    PressKey(g_app.main, '2', kCtrl);
    EXPECT_TRUE(g_tools.arrowHead);
    SetTool(ToolId::Magnifier);
    PressKey(g_app.main, '3', kCtrl);
    EXPECT_DOUBLE_EQ(g_view.zoom, 6);
    // Typed brackets and braces step the thickness too.
    SetTool(ToolId::Line);
    Post(g_app.main, WM_CHAR, '}');
    EXPECT_EQ(g_tools.lineWidth, 10);
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(Shortcuts, CommandKeysSendTheirCommands) {
    const struct {
        UINT vk;
        int mods;
        int command;
    } cases[] = {
        {'N', kCtrl, 101},          {'N', kCtrl | kShift, 405}, {'O', kCtrl, 102},          {'S', kCtrl, 103},
        {'S', kCtrl | kShift, 104}, {'U', kCtrl | kShift, 108}, {'A', kCtrl, 207},          {'B', kCtrl, 303},
        {'C', kCtrl, 204},          {'C', kCtrl | kShift, 407}, {'E', kCtrl, 404},          {'G', kCtrl, 311},
        {'I', kCtrl, 403},          {'K', kCtrl, 406},          {'L', kCtrl, 302},          {'R', kCtrl, 401},
        {'T', kCtrl, 301},          {'V', kCtrl, 205},          {'W', kCtrl, 402},          {'X', kCtrl, 203},
        {'Y', kCtrl, 202},          {'Z', kCtrl, 201},          {'Z', kCtrl | kShift, 201}, {'0', kCtrl, 305},
        {VK_NUMPAD0, kCtrl, 305},   {VK_OEM_PLUS, kCtrl, 323},  {VK_ADD, kCtrl, 323},       {VK_OEM_MINUS, kCtrl, 324},
        {VK_SUBTRACT, kCtrl, 324},  {VK_PRIOR, kCtrl, 305},     {VK_NEXT, kCtrl, 307},      {VK_F1, kNone, 602},
        {VK_F12, kNone, 104},       {VK_DELETE, kNone, 206},    {'C', kShift, 407},
    };
    for (const auto& c : cases) {
        g_commands.clear();
        PressKey(g_app.main, c.vk, c.mods);
        ASSERT_EQ(g_commands.size(), 1u) << "key " << c.vk << " mods " << c.mods;
        EXPECT_EQ(g_commands[0], c.command) << "key " << c.vk << " mods " << c.mods;
    }
    EXPECT_EQ(g_tools.currentTool, ToolId::Rectangle) << "no command key chose a tool";
    // Ctrl+Shift+W opens the thickness dialog; Enter and Backspace with nothing to act on do nothing.
    g_commands.clear();
    PressKey(g_app.main, 'W', kCtrl | kShift);
    EXPECT_NE(FindWindowW(kThicknessClass, nullptr), nullptr);
    PressKey(g_app.main, VK_RETURN);
    PressKey(g_app.main, VK_BACK);
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(Shortcuts, NumericPadDigitsAndFunctionKeysAreNotToolLetters) {
    // Their codes equal lower-case letters: numpad 1 'a' (Airbrush), F1 'p' (Pencil), F5 't' (Text).
    for (UINT vk : {UINT{VK_NUMPAD1}, UINT{VK_F5}, UINT{VK_F2}, UINT{VK_NUMPAD9}}) {
        PressKey(g_app.main, vk);
        EXPECT_EQ(g_tools.currentTool, ToolId::Rectangle) << vk;
    }
    PressKey(g_app.main, VK_F1);
    EXPECT_EQ(g_tools.currentTool, ToolId::Rectangle);
    PressKey(g_app.main, VK_NUMPAD9, kCtrl); // Ctrl+numpad 9 ('i') is not Invert Colors
    g_commands.erase(std::remove(g_commands.begin(), g_commands.end(), 602), g_commands.end());
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(Shortcuts, EscapeForgetsAnUnfinishedPolygon) {
    SetTool(ToolId::Polygon);
    CanvasDrag(1, 50, 50, 150, 50);
    ASSERT_TRUE(IsPolygonInProgress());
    PressKey(g_app.main, VK_ESCAPE);
    EXPECT_FALSE(IsPolygonInProgress());
}

TEST_F(Shortcuts, KeysTypedIntoTheThicknessFieldStayThere) {
    ChoosePencil();
    OpenThicknessDialog(g_app.main);
    HWND dialog = FindWindowW(kThicknessClass, nullptr);
    ASSERT_NE(dialog, nullptr);
    HWND edit = GetDlgItem(dialog, kThicknessEditId);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CLEAR, 0, 0);
    for (UINT vk : {UINT{'1'}, UINT{'2'}, UINT{'L'}, UINT{VK_OEM_6}, UINT{VK_BACK}, UINT{'5'}})
        PressKey(edit, vk);
    wchar_t text[32] = {};
    GetWindowTextW(edit, text, 32);
    EXPECT_EQ(std::wstring(text), L"15") << "digits and Backspace edit the field; a letter is refused by it";
    EXPECT_EQ(g_tools.currentTool, ToolId::Pencil);
    EXPECT_EQ(g_tools.pencilWidth, 1);
    // A key pressed while one of the dialog's buttons has the focus is a shortcut again.
    PressKey(GetDlgItem(dialog, IDOK), 'L');
    EXPECT_EQ(g_tools.currentTool, ToolId::Line);
}

// The Korean input method sends its processing key with the physical key's scan code, or the jamo as
// characters, whole or as the two bytes of code page 949.
TEST_F(Shortcuts, KoreanInputReachesTheToolLetters) {
    const LPARAM scanR = 1 | static_cast<LPARAM>(0x13) << 16, scanL = 1 | static_cast<LPARAM>(0x26) << 16;
    SetTool(ToolId::Pencil);
    PressKey(g_app.main, VK_PROCESSKEY, kNone, scanR);
    EXPECT_EQ(g_tools.currentTool, ToolId::Rectangle);
    PressKey(g_app.main, VK_PROCESSKEY, kNone, scanL);
    EXPECT_EQ(g_tools.currentTool, ToolId::Line);
    Post(g_app.main, WM_CHAR, 0x314B); // the Z key's jamo
    EXPECT_EQ(g_tools.currentTool, ToolId::Magnifier);
    Post(g_app.main, WM_CHAR, 0xA4);
    Post(g_app.main, WM_CHAR, 0xA1); // U+3131, the R key
    EXPECT_EQ(g_tools.currentTool, ToolId::Rectangle);
    Post(g_app.main, WM_CHAR, 0xA4);
    Post(g_app.main, WM_CHAR, 0xD3); // U+3163, the L key
    EXPECT_EQ(g_tools.currentTool, ToolId::Line);
    Post(g_app.main, WM_CHAR, 0x3133); // a compound consonant has no key
    EXPECT_EQ(g_tools.currentTool, ToolId::Line);
    EXPECT_TRUE(HasImeVirtualKeyFunction());
}

TEST_F(Shortcuts, KoreanKeysWorkWithoutTheInputMethodLibrary) {
    g_imeLookup = {"kolvex_missing_imm.dll", false, {}};
    PressKey(g_app.main, VK_PROCESSKEY, kNone, 1 | static_cast<LPARAM>(0x18) << 16); // the O key
    EXPECT_EQ(g_tools.currentTool, ToolId::Ellipse);
    EXPECT_FALSE(HasImeVirtualKeyFunction());
    PressKey(g_app.main, 0, kNone, 1 | static_cast<LPARAM>(0x16) << 16); // key 0 from the U key
    EXPECT_EQ(g_tools.currentTool, ToolId::RoundedRectangle);
    g_imeLookup = {};
}

} // namespace
