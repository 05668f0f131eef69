#include <windows.h>

#include <functional>
#include <string>

#include "shell/main_window.h"
#include "support/app_fixture.h"
#include "toolbox/color_box.h"

namespace {

using ColorBox = AppFixture;

void Click(bool right, int x, int y) {
    Post(g_app.colorBox, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(x, y));
    Post(g_app.colorBox, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

TEST_F(ColorBox, PaletteClicksSetColorOneAndColorTwo) {
    struct Case {
        bool right;
        int x, y;
        COLORREF fg, bg;
    } cases[] = {
        {false, 45, 8, RGB(0, 0, 0), RGB(255, 255, 255)},        {true, 57, 25, RGB(0, 0, 0), RGB(192, 192, 192)},
        {false, 263, 35, RGB(255, 128, 64), RGB(192, 192, 192)}, {true, 200, 8, RGB(255, 128, 64), RGB(0, 128, 255)},
        {false, 37, 10, RGB(255, 128, 64), RGB(0, 128, 255)}, // between well and palette
        {true, 100, 38, RGB(255, 128, 64), RGB(0, 128, 255)}, // below the palette
    };
    for (const Case& c : cases) {
        Click(c.right, c.x, c.y);
        EXPECT_EQ(g_colors.foreground, c.fg) << c.x << "," << c.y;
        EXPECT_EQ(g_colors.background, c.bg) << c.x << "," << c.y;
    }
}

TEST_F(ColorBox, SwatchesShowTheCurrentColours) {
    Click(false, 125, 25); // entry 19, RGB(0, 255, 255)
    RedrawWindow(g_app.colorBox, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(g_app.colorBox);
    EXPECT_EQ(GetPixel(dc, 14, 14), RGB(0, 255, 255)) << "foreground swatch";
    EXPECT_EQ(GetPixel(dc, 28, 28), RGB(255, 255, 255)) << "background swatch";
    EXPECT_EQ(GetPixel(dc, 47, 11), RGB(0, 0, 0)) << "palette 0";
    EXPECT_EQ(GetPixel(dc, 47 + 16 * 2, 11 + 16), RGB(255, 0, 0)) << "palette 16";
    ReleaseDC(g_app.colorBox, dc);
}

// Drives the real colour dialog from a timer inside its loop: types R, G and B and presses OK.
struct DialogDriver {
    int red, green, blue;
    bool cancel;
    bool seen;
    std::wstring title;
};
DialogDriver g_driver;

void CALLBACK DriveColorDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindThreadDialog();
    if (!dlg) return;
    KillTimer(nullptr, id);
    g_driver.seen = true;
    wchar_t title[64] = {};
    GetWindowTextW(dlg, title, 64);
    g_driver.title = title;
    if (!g_driver.cancel) {
        SetDlgItemInt(dlg, 706, static_cast<UINT>(g_driver.red), FALSE); // the dialog's R, G and B fields
        SetDlgItemInt(dlg, 707, static_cast<UINT>(g_driver.green), FALSE);
        SetDlgItemInt(dlg, 708, static_cast<UINT>(g_driver.blue), FALSE);
    }
    PostMessageW(dlg, WM_COMMAND, g_driver.cancel ? IDCANCEL : IDOK, 0);
}

void RunColorDialog(int r, int g, int b, bool cancel, const std::function<void()>& open) {
    g_driver = {r, g, b, cancel, false, L""};
    SetTimer(nullptr, 0, 50, DriveColorDialog);
    open();
    ASSERT_TRUE(PumpUntil([] { return g_driver.seen; })) << "the colour dialog never showed";
}

TEST_F(ColorBox, TheWellOpensTheColourDialogForTheButtonsColour) {
    RunColorDialog(10, 20, 30, false, [] { Click(true, 20, 20); });
    EXPECT_EQ(g_colors.background, RGB(10, 20, 30));
    EXPECT_EQ(g_colors.foreground, RGB(255, 0, 0));
    RunColorDialog(40, 50, 60, false, [] { Click(false, 6, 30); });
    EXPECT_EQ(g_colors.foreground, RGB(40, 50, 60));
    RunColorDialog(1, 2, 3, true, [] { Click(false, 6, 30); });
    EXPECT_EQ(g_colors.foreground, RGB(40, 50, 60)) << "Cancel changes nothing";
}

TEST_F(ColorBox, EditColorsSetsColorOneOnly) {
    RunColorDialog(0, 128, 255, false, [] { Post(g_app.main, WM_COMMAND, 701); });
    EXPECT_EQ(g_colors.foreground, RGB(0, 128, 255));
    EXPECT_EQ(g_colors.background, RGB(255, 255, 255));
}

} // namespace
