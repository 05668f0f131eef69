#include <windows.h>

#include <string>

#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"
#include "toolbox/thickness_dialog.h"
#include "toolbox/tool_state.h"

namespace {

// Opened with the pencil current, so its thickness is the one offered and set.
class ThicknessDialog : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ChoosePencil();
    }
};

HWND OpenDialog() {
    HWND before = FindWindowW(kThicknessClass, nullptr);
    Post(g_app.main, WM_COMMAND, 507);
    HWND found = nullptr;
    PumpUntil([&] {
        for (HWND w = FindWindowW(kThicknessClass, nullptr); w; w = FindWindowExW(nullptr, w, kThicknessClass, nullptr))
            if (w != before && IsWindowVisible(w)) found = w;
        return found != nullptr;
    });
    return found;
}

void Type(HWND edit, const std::wstring& text) {
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CLEAR, 0, 0);
    for (wchar_t c : text)
        Post(edit, WM_CHAR, c, 1); // through the program's loop, as typed keys go
}

std::wstring EditText(HWND d) {
    wchar_t buf[64] = {};
    GetDlgItemTextW(d, kThicknessEditId, buf, 64);
    return buf;
}

TEST_F(ThicknessDialog, OpensModelessWithTheCurrentThicknessSelected) {
    HWND d = OpenDialog();
    ASSERT_NE(d, nullptr);
    wchar_t caption[64] = {};
    GetWindowTextW(d, caption, 64);
    EXPECT_STREQ(caption, L"Custom Brush / Pen Thickness");
    RECT r;
    GetWindowRect(d, &r);
    EXPECT_EQ(r.right - r.left, 340);
    EXPECT_EQ(r.bottom - r.top, 250);
    EXPECT_TRUE(IsWindowEnabled(g_app.main)) << "modeless";
    EXPECT_EQ(EditText(d), L"1");
    EXPECT_EQ(GetFocus(), GetDlgItem(d, kThicknessEditId));
    wchar_t label[64] = {};
    GetDlgItemTextW(d, kThicknessCurrentToolId, label, 64);
    EXPECT_STREQ(label, L"Current Tool (Pencil)");
    Post(d, WM_COMMAND, kThicknessFirstPresetId + 5); // "35"
    EXPECT_EQ(EditText(d), L"35");
}

TEST_F(ThicknessDialog, OkClampsWhatWasTyped) {
    struct Case {
        const wchar_t* typed;
        int width;
    } cases[] = {{L"0", 1}, {L"", 1}, {L"9", 9}, {L"999", 500}, {L"99999999999", 500}};
    for (const Case& c : cases) {
        HWND d = OpenDialog();
        ASSERT_NE(d, nullptr);
        Type(GetDlgItem(d, kThicknessEditId), c.typed);
        Post(d, WM_COMMAND, IDOK);
        EXPECT_FALSE(IsWindow(d));
        EXPECT_EQ(g_tools.pencilWidth, c.width) << static_cast<const void*>(c.typed);
        EXPECT_EQ(g_tools.lineWidth, 5);
    }
    wchar_t expected[64];
    swprintf(expected, 64, L"Pencil thickness set to %dpx.", 500);
    EXPECT_EQ(GetStatusText(kStatusMessage), expected);
    // The field takes digits only when typed; text put there another way still counts as 0 and gives 1.
    HWND d = OpenDialog();
    ASSERT_NE(d, nullptr);
    SetDlgItemTextW(d, kThicknessEditId, L"abc");
    Post(d, WM_COMMAND, IDOK);
    EXPECT_EQ(g_tools.pencilWidth, 1);
}

TEST_F(ThicknessDialog, TheValueGoesToTheToolTheDialogWasOpenedFor) {
    HWND d = OpenDialog();
    ASSERT_NE(d, nullptr);
    g_tools.currentTool = ToolId::Line; // the user switched tools while the dialog stayed open
    Type(GetDlgItem(d, kThicknessEditId), L"9");
    Post(d, WM_COMMAND, IDOK);
    EXPECT_EQ(g_tools.pencilWidth, 9);
    EXPECT_EQ(g_tools.lineWidth, 5);
}

TEST_F(ThicknessDialog, AllDrawingToolsSetsEveryThickness) {
    HWND d = OpenDialog();
    ASSERT_NE(d, nullptr);
    Type(GetDlgItem(d, kThicknessEditId), L"4");
    CheckRadioButton(d, kThicknessCurrentToolId, kThicknessAllToolsId, kThicknessAllToolsId);
    Post(d, WM_COMMAND, IDOK);
    EXPECT_EQ(g_tools.pencilWidth, 4);
    EXPECT_EQ(g_tools.lineWidth, 4);
    EXPECT_EQ(g_tools.brushCustomRadius, 2);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"All drawing tools thickness set to 4px.");
}

TEST_F(ThicknessDialog, CancelChangesNothingAndTwoOpenDialogsBothKeepTheirText) {
    HWND first = OpenDialog();
    HWND second = OpenDialog();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(first, second);
    Type(GetDlgItem(first, kThicknessEditId), L"12");
    EXPECT_EQ(EditText(first), L"12");
    Type(GetDlgItem(second, kThicknessEditId), L"7");
    EXPECT_EQ(EditText(second), L"7");
    Post(first, WM_COMMAND, IDCANCEL);
    Post(second, WM_CLOSE);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(g_tools.pencilWidth, 1);
}

} // namespace
