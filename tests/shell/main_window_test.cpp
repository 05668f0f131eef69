#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "toolbox/colors.h"
#include "document/canvas_image.h"
#include "document/view_state.h"
#include "shell/app.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "files/file_commands.h"
#include "files/image_save.h"
#include "toolbox/tool_actions.h"
#include "support/app_fixture.h"
#include "toolbox/tool_state.h"

namespace {

using MainWindow = AppFixture;

std::wstring ClassOf(HWND w) {
    wchar_t buf[128] = {};
    GetClassNameW(w, buf, 128);
    return buf;
}

TEST_F(MainWindow, StartsWithAWhitePictureAndItsChildrenLaidOut) {
    EXPECT_EQ(MainCaption(), L"Untitled - Kolvex");
    EXPECT_EQ(ClassOf(g_app.main), L"KolvexWindowClass");
    EXPECT_EQ(ClassOf(g_app.canvas), L"KolvexCanvasClass");
    EXPECT_EQ(ClassOf(g_app.toolBox), L"KolvexToolBoxClass");
    EXPECT_EQ(ClassOf(g_app.colorBox), L"KolvexColorBoxClass");
    EXPECT_EQ(ClassOf(g_app.statusBar), L"msctls_statusbar32");
    EXPECT_EQ(GetDlgCtrlID(g_app.statusBar), 1001);
    EXPECT_EQ(SendMessageW(g_app.statusBar, SB_GETPARTS, 0, 0), 3);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Draws a rectangle with the selected fill style and line width. [R]");
    EXPECT_EQ(g_tools.currentTool, ToolId::Rectangle);
    EXPECT_TRUE(GetWindowLongW(g_app.main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    RECT outer;
    GetWindowRect(g_app.main, &outer);
    EXPECT_EQ(outer.right - outer.left, 800);
    EXPECT_EQ(outer.bottom - outer.top, 600);

    ASSERT_EQ(g_canvas.width, 640);
    ASSERT_EQ(g_canvas.height, 480);
    for (int i = 0; i < 640 * 480; ++i)
        ASSERT_EQ(g_canvas.pixels[i], 0xFFFFFFFFu) << i;

    RECT client;
    GetClientRect(g_app.main, &client);
    const int h = client.bottom - 42 - 22;
    const RECT canvas = ChildRectInMain(g_app.canvas), tools = ChildRectInMain(g_app.toolBox),
               colors = ChildRectInMain(g_app.colorBox);
    EXPECT_EQ(canvas.left, 56);
    EXPECT_EQ(canvas.top, 0);
    EXPECT_EQ(canvas.right, client.right);
    EXPECT_EQ(canvas.bottom, h);
    EXPECT_EQ(tools.right - tools.left, 56);
    EXPECT_EQ(tools.bottom, h);
    EXPECT_EQ(colors.left, 0);
    EXPECT_EQ(colors.top, h);
    EXPECT_EQ(colors.right, client.right);
    EXPECT_EQ(colors.bottom - colors.top, 42);
}

TEST_F(MainWindow, HiddenBandsGiveTheCanvasTheirRoom) {
    struct Case {
        bool tools, colors, status;
        int left, heightLoss;
    } cases[] = {{false, true, true, 0, 64},
                 {true, false, false, 56, 0},
                 {false, false, true, 0, 22},
                 {true, true, true, 56, 64}};
    RECT client;
    GetClientRect(g_app.main, &client);
    for (const Case& c : cases) {
        g_app.showToolBox = c.tools;
        g_app.showColorBox = c.colors;
        g_app.showStatusBar = c.status;
        LayoutChildWindows(g_app.main);
        const RECT canvas = ChildRectInMain(g_app.canvas);
        EXPECT_EQ(canvas.left, c.left);
        EXPECT_EQ(canvas.bottom, client.bottom - c.heightLoss);
        EXPECT_EQ(IsWindowVisible(g_app.toolBox) != 0, c.tools);
        EXPECT_EQ(IsWindowVisible(g_app.colorBox) != 0, c.colors);
        EXPECT_EQ(IsWindowVisible(g_app.statusBar) != 0, c.status);
    }
}

TEST_F(MainWindow, CloseEndsTheLoopWithExitCodeZero) {
    PostMessageW(g_app.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(g_app.main, nullptr);
}

TEST_F(MainWindow, WheelOnTheMainWindowReachesTheCanvasOnce) {
    EnlargeMainWindow();
    ASSERT_EQ(ResizeCanvasImage(2000, 1500, PixelFromColor(g_colors.background), false), ResizeResult::Done);
    POINT p{100, 100};
    ClientToScreen(g_app.canvas, &p);
    Post(g_app.main, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(p.x, p.y));
    EXPECT_EQ(g_view.scrollY, 60);
    EXPECT_EQ(g_view.scrollX, 0);
}

TEST_F(MainWindow, ADroppedNameOfThreeHundredCharactersArrivesWhole) {
    const std::wstring name = L"C:\\drop\\" + std::wstring(288, L'p') + L".bmp";
    ASSERT_EQ(name.size(), 300u);
    HGLOBAL h = MakeDrop(name);
    EXPECT_EQ(DroppedFileName(static_cast<HDROP>(h)), name);
    GlobalFree(h);
    // Delivered for real: there is no such file, so the picture stays as it was and nothing breaks.
    Post(g_app.main, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(name)), 0);
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(MainCaption(), L"Untitled - Kolvex");
}

bool TakeCommand(int id) {
    MSG msg;
    bool found = false;
    while (PeekMessageW(&msg, g_app.main, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        if (LOWORD(msg.wParam) == id) found = true;
    return found;
}

TEST_F(MainWindow, OnlyAWholeCaptureArgumentPostsTheSnipCommand) {
    ActOnCommandLine(g_app.main, {L"Kolvex.exe", L"/capture"}, "/capture");
    EXPECT_TRUE(TakeCommand(kCmdCaptureScreen));
    ActOnCommandLine(g_app.main, {L"Kolvex.exe", L"C:\\t\\screen-capture.png"}, "C:\\t\\screen-capture.png");
    EXPECT_FALSE(TakeCommand(kCmdCaptureScreen));
    ActOnCommandLine(g_app.main, {L"Kolvex.exe", L"-Capture"}, "-Capture");
    EXPECT_TRUE(TakeCommand(kCmdCaptureScreen));
}

} // namespace

namespace {

TEST_F(MainWindow, CannotShrinkBelowTheToolBoxPaletteAndStatusBar) {
    SetWindowPos(g_app.main, nullptr, 0, 0, 112, 27, SWP_NOZORDER | SWP_NOMOVE);
    PumpMessages();
    RECT client;
    GetClientRect(g_app.main, &client);
    EXPECT_GE(client.right, 270);
    EXPECT_GE(client.bottom, 456 + 42 + 22);
    for (HWND child : {g_app.canvas, g_app.toolBox, g_app.colorBox, g_app.statusBar}) {
        const RECT r = ChildRectInMain(child);
        EXPECT_GE(r.left, 0) << ClassOf(child);
        EXPECT_GE(r.top, 0) << ClassOf(child);
        EXPECT_LE(r.bottom, client.bottom) << ClassOf(child);
        EXPECT_GT(r.right - r.left, 0) << ClassOf(child);
        EXPECT_GT(r.bottom - r.top, 0) << ClassOf(child);
    }
    EXPECT_GE(ChildRectInMain(g_app.toolBox).bottom, 456) << "the whole option panel";
}

TEST_F(MainWindow, AnOpenedPictureThatFitsShowsAllOfItWithItsGripsAndTheToolDescription) {
    const std::wstring folder = MakeTestFolder(L"kolvex_fit_");
    const std::wstring picture = folder + L"\\fits.bmp", missing = folder + L"\\missing.bmp";
    ASSERT_TRUE(CreateCanvasImage(800, 500, 0xFF00FF00u));
    ASSERT_EQ(WriteBmpFile(picture), SaveResult::Saved);
    ASSERT_TRUE(CreateCanvasImage(640, 480, 0xFFFFFFFFu));

    EXPECT_FALSE(OpenPictureFile(missing));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Could not open 'missing.bmp'.");
    ASSERT_TRUE(OpenPictureFile(picture));
    EXPECT_EQ(GetStatusText(kStatusMessage), ToolInfoOf(g_tools.currentTool).description);
    PumpMessages();
    RECT canvas;
    GetClientRect(g_app.canvas, &canvas);
    EXPECT_GE(canvas.right, 800 + 4) << "the last column and the right grip";
    EXPECT_GE(canvas.bottom, 500 + 4) << "the last row and the bottom grip";
    UpdateWindow(g_app.canvas);
    HDC dc = GetDC(g_app.canvas);
    EXPECT_EQ(GetPixel(dc, 799, 499), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 802, 502), RGB(0, 0, 0)) << "the corner grip";
    ReleaseDC(g_app.canvas, dc);

    EXPECT_FALSE(OpenPictureFile(missing));
    Post(g_app.main, WM_COMMAND, 101);
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(GetStatusText(kStatusMessage), ToolInfoOf(g_tools.currentTool).description);
    RemoveTestFolder(folder);
}

} // namespace
