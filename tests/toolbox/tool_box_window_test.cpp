#include <windows.h>

#include <commctrl.h>

#include <string>

#include "toolbox/tool_actions.h"
#include "document/view_state.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"
#include "toolbox/thickness_dialog.h"
#include "toolbox/tool_box_core.h"
#include "toolbox/tool_box_window.h"
#include "toolbox/tool_state.h"
#include "tools/shape_tools.h"

namespace {

using ToolBox = AppFixture;

void Click(int x, int y) {
    Post(g_app.toolBox, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Post(g_app.toolBox, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// A sunken edge starts with the shadow colour at its top-left pixel, a raised one with a light colour.
bool ShowsPressed(HDC dc, int k) {
    const BoxRect b = ToolButtonRect(k);
    return GetPixel(dc, b.left, b.top) == GetSysColor(COLOR_BTNSHADOW);
}

TEST_F(ToolBox, EachButtonMakesItsToolCurrent) {
    HDC dc = GetDC(g_app.toolBox);
    // Starting from Rectangle (12), so every click changes the tool; 12 is taken from 11.
    for (int k = 0; k < kToolCount; ++k) {
        const ToolId before = g_tools.currentTool;
        const BoxRect b = ToolButtonRect(k);
        ValidateRect(g_app.toolBox, nullptr); // only the click's own invalidation can repaint
        SetStatusText(kStatusMessage, L"");
        Click((b.left + b.right) / 2, (b.top + b.bottom) / 2);
        SCOPED_TRACE(testing::Message() << "button " << k);
        ASSERT_EQ(static_cast<int>(g_tools.currentTool), k);
        EXPECT_EQ(g_tools.previousTool, before);
        EXPECT_EQ(GetStatusText(kStatusMessage), ToolInfoOf(static_cast<ToolId>(k)).description);
        EXPECT_TRUE(ShowsPressed(dc, k));
        EXPECT_FALSE(ShowsPressed(dc, static_cast<int>(before)));
    }
    // The pressed button's icon sits one pixel lower right: the Line icon's first ink pixel.
    const BoxRect line = ToolButtonRect(static_cast<int>(ToolId::Line));
    EXPECT_EQ(GetPixel(dc, line.left + 4 + 1, line.top + 4 + 1), RGB(0, 0, 0)) << "raised Line icon";
    Click(line.left + 10, line.top + 10);
    EXPECT_EQ(GetPixel(dc, line.left + 5 + 1, line.top + 5 + 1), RGB(0, 0, 0)) << "pressed Line icon";
    EXPECT_NE(GetPixel(dc, line.left + 4 + 1, line.top + 4 + 1), RGB(0, 0, 0)) << "the pressed icon has moved";
    ReleaseDC(g_app.toolBox, dc);
}

TEST_F(ToolBox, OptionBandClicksSetTheOptions) {
    struct Case {
        ToolId tool;
        int x, y;
        int (*read)();
        int expected;
        const wchar_t* status; // nullptr: status part 0 is left alone
    } cases[] = {
        {ToolId::Select, 28, 267, [] { return int(g_tools.selectionTransparent); }, 1, nullptr},
        {ToolId::Select, 28, 266, [] { return int(g_tools.selectionTransparent); }, 0, nullptr},
        {ToolId::Select, 40, 349, [] { return g_tools.mosaicBlockSize; }, 16,
         L"Mosaic block size: 16 px. [Click Mosaic or Ctrl+M to apply]"},
        {ToolId::Eraser, 28, 298, [] { return g_tools.eraserSize; }, 3, nullptr},
        {ToolId::Eraser, 28, 300, [] { return g_tools.eraserSize; }, 1, nullptr}, // the gap
        {ToolId::Airbrush, 28, 298, [] { return g_tools.airbrushSize; }, 2, nullptr},
        {ToolId::Airbrush, 28, 301, [] { return g_tools.airbrushSize; }, 1, nullptr},
        {ToolId::Brush, 53, 298, [] { return g_tools.brushShape; }, 11, nullptr},
        {ToolId::Brush, 53, 299, [] { return g_tools.brushShape; }, 0, nullptr},
        {ToolId::Brush, 28, 400, [] { return g_tools.brushSizeIndex; }, 5, nullptr},
        {ToolId::Magnifier, 28, 298, [] { return int(g_view.zoom); }, 8, nullptr},
        {ToolId::Magnifier, 28, 300, [] { return int(g_view.zoom); }, 1, nullptr},
        {ToolId::Text, 28, 250, [] { return int(g_tools.textTransparent); }, 0, nullptr},
        {ToolId::Pencil, 53, 260, [] { return g_tools.pencilWidth; }, 3, nullptr}, // x 53 is still the panel
        {ToolId::Pencil, 54, 260, [] { return g_tools.pencilWidth; }, 1, nullptr},
        {ToolId::Curve, 28, 298, [] { return g_tools.lineWidth; }, 5, nullptr},
        {ToolId::Line, 28, 232, [] { return g_tools.lineWidth; }, 1, nullptr},
        {ToolId::Line, 28, 335, [] { return int(g_tools.arrowHead); }, 1, nullptr},
        {ToolId::Ellipse, 28, 368, [] { return g_tools.fillStyle; }, 2, nullptr},
        {ToolId::RoundedRectangle, 28, 324, [] { return g_tools.fillStyle; }, 1, nullptr},
        {ToolId::RoundedRectangle, 28, 370, [] { return g_tools.fillStyle; }, 0, nullptr},
        {ToolId::Path, 28, 270, [] { return g_tools.pathMode; }, 2,
         L"Path Mode: Mosaic. [Enter to apply mosaic to path]"},
        {ToolId::Path, 28, 330, [] { return g_tools.lineWidth; }, 3, nullptr},
        {ToolId::FuzzySelect, 28, 298, [] { return g_tools.fuzzyTolerance; }, 64,
         L"Fuzzy Select Tolerance: 64. [key 4 / Ctrl+4]"},
        {ToolId::FuzzySelect, 28, 335, [] { return int(g_tools.selectionTransparent); }, 1,
         L"Transparent selection: makes background color transparent."},
        {ToolId::FuzzySelect, 10, 418, [] { return g_tools.mosaicBlockSize; }, 12,
         L"Mosaic block size: 12 px. [Click Mosaic or Ctrl+M to apply]"},
    };
    for (const Case& c : cases) {
        g_tools = {};
        g_view.zoom = 1;
        SetTool(c.tool);
        SetStatusText(kStatusMessage, L"before");
        ValidateRect(g_app.toolBox, nullptr);
        Click(c.x, c.y);
        SCOPED_TRACE(testing::Message() << "tool " << static_cast<int>(c.tool) << " at " << c.x << "," << c.y);
        EXPECT_EQ(c.read(), c.expected);
        EXPECT_EQ(GetStatusText(kStatusMessage), c.status ? c.status : L"before");
    }
    // An option click repaints the tool box; sent, so that no pump paints before the check.
    SetTool(ToolId::Eraser);
    RedrawWindow(g_app.toolBox, nullptr, nullptr, RDW_UPDATENOW);
    SendMessageW(g_app.toolBox, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(28, 240));
    RECT dirty;
    EXPECT_TRUE(GetUpdateRect(g_app.toolBox, &dirty, FALSE));
}

TEST_F(ToolBox, HasATooltipForEachButtonFromThePointersFirstMove) {
    Post(g_app.toolBox, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    HWND tip = ToolBoxToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 18);
    wchar_t text[80] = {};
    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof ti;
    ti.hwnd = g_app.toolBox;
    ti.uId = static_cast<UINT_PTR>(ToolId::Path);
    ti.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(text, L"Calvore Path / Pen Tool (Shift+P, P)");
    Post(g_app.toolBox, WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
    EXPECT_EQ(ToolBoxToolTip(), tip) << "built once";
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 18);
}

TEST_F(ToolBox, HoverTextsAndTheDescriptionWhenThePointerLeaves) {
    SetTool(ToolId::FuzzySelect);
    const BoxRect path = ToolButtonRect(static_cast<int>(ToolId::Path));
    Post(g_app.toolBox, WM_MOUSEMOVE, 0, MAKELPARAM(path.left + 5, path.top + 5));
    EXPECT_EQ(GetStatusText(kStatusMessage), ToolInfoOf(ToolId::Path).hover);
    const BoxRect select = ToolButtonRect(static_cast<int>(ToolId::Select));
    Post(g_app.toolBox, WM_MOUSEMOVE, 0, MAKELPARAM(select.left + 5, select.top + 5));
    EXPECT_EQ(GetStatusText(kStatusMessage), ToolInfoOf(ToolId::Select).description);
    Post(g_app.toolBox, WM_MOUSEMOVE, 0, MAKELPARAM(28, 250));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Tolerance 15: matching color threshold. [Ctrl+2]");
    Post(g_app.toolBox, WM_MOUSEMOVE, 0, MAKELPARAM(28, 300)); // the gap keeps the text
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Tolerance 15: matching color threshold. [Ctrl+2]");
    Post(g_app.toolBox, WM_MOUSELEAVE);
    EXPECT_EQ(GetStatusText(kStatusMessage), ToolInfoOf(ToolId::FuzzySelect).description);
}

HWND FindThicknessDialog() {
    HWND found = nullptr;
    PumpUntil([&] { return (found = FindWindowW(L"KolvexThicknessClass", nullptr)) != nullptr; },
              std::chrono::milliseconds(1500));
    return found;
}

TEST_F(ToolBox, DoubleClickInTheOptionAreaOpensTheThicknessDialog) {
    SetTool(ToolId::Brush);
    Post(g_app.toolBox, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 231)); // above the option area
    PumpMessages();
    EXPECT_EQ(FindWindowW(L"KolvexThicknessClass", nullptr), nullptr);

    // The first press of the double-click applies the size bar, then the dialog shows that thickness.
    Click(28, 345);
    Post(g_app.toolBox, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(28, 345));
    HWND d = FindThicknessDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(GetWindow(d, GW_OWNER), g_app.main);
    wchar_t text[16] = {};
    GetDlgItemTextW(d, kThicknessEditId, text, 16);
    EXPECT_STREQ(text, L"4") << "the second size bar is radius 2";
    Post(d, WM_CLOSE);
    EXPECT_TRUE(PumpUntil([] { return FindWindowW(L"KolvexThicknessClass", nullptr) == nullptr; }));
}

TEST_F(ToolBox, TheLinePanelsArrowSampleIsTheToolsOwnArrow) {
    SetTool(ToolId::Line);
    g_tools.arrowHead = false; // the mark is on the plain line, away from the sample
    RedrawWindow(g_app.toolBox, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC screen = GetDC(g_app.toolBox);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 56, 460);
    HGDIOBJ old = SelectObject(mem, bmp);
    const RECT all{0, 0, 56, 460};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawLineOrArrow(mem, 10, 348, 46, 348, 2, RGB(0, 0, 0), true);
    int black = 0;
    for (int y = 338; y <= 360; ++y)
        for (int x = 5; x <= 51; ++x) {
            const bool expected = GetPixel(mem, x, y) == RGB(0, 0, 0);
            black += expected;
            EXPECT_EQ(GetPixel(screen, x, y) == RGB(0, 0, 0), expected) << x << ", " << y;
        }
    EXPECT_GT(black, 36) << "a shaft and a head";
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(g_app.toolBox, screen);
}

} // namespace
