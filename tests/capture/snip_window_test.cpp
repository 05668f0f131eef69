// The snip through the real loop: triggers, the overlay's messages, and where a capture of a window of this
// process goes (the picture, a floating selection, the clipboard).
#include <windows.h>

#include <string>
#include <vector>

#include "base/status_text.h"
#include "capture/snip_fixture.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "filters/clipboard.h"
#include "shell/command_ids.h"
#include "tools/selection.h"
#include "toolbox/tool_state.h"

namespace {

using Snip = SnipFixture;

constexpr wchar_t kCancelled[] = L"Screen capture cancelled.";

std::wstring CapturedText(int w, int h) {
    return L"Screen captured (" + std::to_wstring(w) + L" x " + std::to_wstring(h) +
           L" px) - Copied to clipboard & canvas.";
}

TEST_F(Snip, ABlankPictureBecomesTheCaptureWithOneUndoStepBackToThePage) {
    SnipPattern(20, 30, 200, 100);
    EXPECT_EQ(SnipWindow(), nullptr);
    ASSERT_EQ(g_canvas.width, 200);
    ASSERT_EQ(g_canvas.height, 100);
    std::string where;
    EXPECT_EQ(PatternMismatches(PictureAt, 20, 30, 200, 100, &where), 0) << where;
    EXPECT_EQ(PictureAt(0, 0) >> 24, 0xFFu) << "opaque";
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
    EXPECT_EQ(GetStatusText(kStatusMessage), CapturedText(200, 100));
    EXPECT_TRUE(IsWindowVisible(g_app.main));
    ASSERT_EQ(g_undo.undo.size(), 1u);
    Post(g_app.main, WM_COMMAND, kCmdUndo);
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(g_canvas.height, 480);
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0);
}

TEST_F(Snip, AnyOtherPictureGetsAFloatingSelectionAtTheTopLeftGrownOnlyForALargerCapture) {
    struct Case {
        const char* name;
        int width, height;
        bool modified;
        const char* path;
        int grownWidth, grownHeight;
    } cases[] = {
        {"modified", 640, 480, true, "", 640, 480},
        {"smaller than the capture", 150, 80, true, "", 200, 100},
        {"a white picture from a file", 640, 480, false, "Z:\\white.bmp", 640, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DropSelection(false);
        FreshWhitePicture(c.width, c.height);
        g_document.modified = c.modified;
        g_document.path = c.path;
        g_tools.currentTool = ToolId::Rectangle;
        const size_t depth = g_undo.undo.size();
        SnipPattern(20, 30, 200, 100);
        ASSERT_TRUE(HasSelection());
        EXPECT_TRUE(g_selection.lifted);
        EXPECT_EQ(g_selection.left, 0);
        EXPECT_EQ(g_selection.top, 0);
        ASSERT_EQ(g_selection.width, 200);
        ASSERT_EQ(g_selection.height, 100);
        const PixelView image{g_selection.image.pixels, 200, 100};
        std::string where;
        GdiFlush();
        EXPECT_EQ(PatternMismatches([&](int x, int y) { return ReadPixel(image, x, y); }, 20, 30, 200, 100, &where), 0)
            << where;
        EXPECT_EQ(ReadPixel(image, 5, 5) >> 24, 0xFFu) << "opaque, as every pasted pixel";
        EXPECT_EQ(g_canvas.width, c.grownWidth);
        EXPECT_EQ(g_canvas.height, c.grownHeight);
        EXPECT_EQ(g_tools.currentTool, ToolId::Select);
        EXPECT_EQ(g_undo.undo.size(), depth + 1);
        EXPECT_TRUE(g_document.modified);
        EXPECT_EQ(GetStatusText(kStatusMessage), CapturedText(200, 100));
    }
}

TEST_F(Snip, TheClipboardGetsThePackedDibByteForByteAndTheBitmap) {
    SnipPattern(3, 7, 201, 50); // 603 bytes a row, padded to 604
    ASSERT_TRUE(OpenClipboardPatiently());
    HANDLE dib = GetClipboardData(CF_DIB);
    ASSERT_NE(dib, nullptr);
    const auto* p = static_cast<const uint8_t*>(GlobalLock(dib));
    ASSERT_NE(p, nullptr);
    const size_t stride = 604;
    std::vector<uint8_t> want(40 + stride * 50, 0);
    const uint32_t header[] = {40, 201, 50, 1 | 24 << 16, 0, stride * 50};
    for (size_t i = 0; i < std::size(header); ++i)
        for (int b = 0; b < 4; ++b)
            want[i * 4 + b] = static_cast<uint8_t>(header[i] >> (8 * b));
    for (int r = 0; r < 50; ++r)
        for (int x = 0; x < 201; ++x) {
            const uint32_t c = PatternRgb(3 + x, 7 + 49 - r);
            uint8_t* q = want.data() + 40 + r * stride + x * 3;
            q[0] = static_cast<uint8_t>(c), q[1] = static_cast<uint8_t>(c >> 8), q[2] = static_cast<uint8_t>(c >> 16);
        }
    ASSERT_GE(GlobalSize(dib), want.size());
    const std::vector<uint8_t> got(p, p + want.size());
    GlobalUnlock(dib);
    EXPECT_EQ(got, want);
    std::vector<uint32_t> bitmap;
    int w = 0, h = 0;
    EXPECT_TRUE(ReadBitmapPixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)), &bitmap, &w, &h));
    CloseClipboard();
    ASSERT_EQ(w, 201);
    ASSERT_EQ(h, 50);
    std::string where;
    const PixelView v{bitmap.data(), w, h};
    EXPECT_EQ(PatternMismatches([&](int x, int y) { return ReadPixel(v, x, y); }, 3, 7, 201, 50, &where), 0) << where;
}

TEST_F(Snip, AMainWindowHiddenAtTheStartStaysHiddenOnCancelAndShowsAfterACapture) {
    ShowWindow(g_app.main, SW_HIDE);
    ASSERT_NE(StartSnipByHotKey(), nullptr);
    Post(SnipWindow(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(500, 300));
    EXPECT_EQ(SnipWindow(), nullptr);
    EXPECT_FALSE(IsWindowVisible(g_app.main));
    SnipPattern(0, 0, 10, 10);
    EXPECT_TRUE(IsWindowVisible(g_app.main));
    EXPECT_EQ(g_canvas.width, 10);
}

// Each way out of a snip without a capture.
void RightButton() { Post(SnipWindow(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(400, 300)); }
void EscapeKey() { Post(SnipWindow(), WM_KEYDOWN, VK_ESCAPE, 1); }
void Close() { Post(SnipWindow(), WM_CLOSE); }
void AltF4() { Post(SnipWindow(), WM_SYSKEYDOWN, VK_F4, 1 | KF_ALTDOWN << 16); }
void Click() { DragOverlay(kPatternX + 50, kPatternY + 50, kPatternX + 50, kPatternY + 50); }
void Drag100x3() { DragOverlay(kPatternX + 10, kPatternY + 10, kPatternX + 110, kPatternY + 13); }
void Drag3x100() { DragOverlay(kPatternX + 10, kPatternY + 10, kPatternX + 13, kPatternY + 110); }
void Destroyed() { DestroyWindow(SnipWindow()); }

TEST_F(Snip, EachCancelEndsTheSnipLeavesThePictureAndLetsTheNextOneStart) {
    struct Case {
        const char* name;
        void (*cancel)();
    } cases[] = {{"right button", RightButton},
                 {"Esc", EscapeKey},
                 {"WM_CLOSE", Close},
                 {"Alt+F4", AltF4},
                 {"a click", Click},
                 {"100 x 3", Drag100x3},
                 {"3 x 100", Drag3x100},
                 {"overlay destroyed", Destroyed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetStatusText(kStatusMessage, L"");
        ASSERT_NE(StartSnipByHotKey(), nullptr);
        EXPECT_FALSE(IsWindowVisible(g_app.main));
        c.cancel();
        PumpMessages();
        EXPECT_EQ(SnipWindow(), nullptr);
        EXPECT_EQ(CountOverlays(), 0);
        EXPECT_EQ(g_snip.frozen.dc, nullptr) << "the surfaces are freed";
        EXPECT_EQ(g_snip.back.bitmap, nullptr);
        EXPECT_EQ(GetStatusText(kStatusMessage), kCancelled);
        EXPECT_TRUE(IsWindowVisible(g_app.main));
        EXPECT_EQ(GetForegroundWindow(), g_app.main);
        EXPECT_EQ(g_canvas.width, 640);
        EXPECT_TRUE(g_undo.undo.empty());
        EXPECT_FALSE(g_document.modified);
    }
}

TEST_F(Snip, EveryTriggerStartsOneOverlayAndASecondTriggerNoOther) {
    struct Trigger {
        const char* name;
        HWND target;
        UINT msg;
        WPARAM wParam;
    } triggers[] = {
        {"Win+Shift+S hot key", g_app.main, WM_HOTKEY, kHotKeySnipWinShiftS},
        {"Ctrl+Shift+X hot key", g_app.main, WM_HOTKEY, kHotKeySnipCtrlShiftX},
        {"Print Screen hot key", g_app.main, WM_HOTKEY, kHotKeySnipPrintScreen},
        {"command 210", g_app.main, WM_COMMAND, kCmdCaptureRegion},
        {"command 504", g_app.main, WM_COMMAND, kCmdCaptureScreen},
        {"F7", g_app.canvas, WM_KEYDOWN, VK_F7},
        {"Print Screen key", g_app.canvas, WM_KEYDOWN, VK_SNAPSHOT},
    };
    for (const Trigger& t : triggers) {
        SCOPED_TRACE(t.name);
        Post(t.target, t.msg, t.wParam);
        HWND overlay = SnipWindow();
        ASSERT_NE(overlay, nullptr);
        EXPECT_EQ(GetForegroundWindow(), overlay);
        RECT r;
        GetWindowRect(overlay, &r);
        EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
        EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
        wchar_t title[64] = {};
        GetWindowTextW(overlay, title, 64);
        EXPECT_STREQ(title, L"Kolvex Screen Snip");
        EXPECT_TRUE(GetWindowLongPtrW(overlay, GWL_EXSTYLE) & WS_EX_TOPMOST);
        for (const Trigger& again : triggers)
            Post(again.target == g_app.canvas ? overlay : again.target, again.msg, again.wParam);
        EXPECT_EQ(SnipWindow(), overlay);
        EXPECT_EQ(CountOverlays(), 1);
        CancelScreenSnip();
    }
}

TEST_F(Snip, TypingOverTheOverlayChangesNoToolAndNoThickness) {
    ASSERT_NE(StartSnipByHotKey(), nullptr);
    const ToolOptions before = g_tools;
    Post(SnipWindow(), WM_CHAR, 'e');
    Post(SnipWindow(), WM_CHAR, ']');
    EXPECT_EQ(g_tools.currentTool, before.currentTool);
    EXPECT_EQ(g_tools.lineWidth, before.lineWidth);
    EXPECT_NE(SnipWindow(), nullptr) << "only Esc ends the snip";
}

HBITMAP WINAPI RefuseSection(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) { return nullptr; }

TEST_F(Snip, AScreenThatCannotBeFrozenEndsSilentlyWithTheMainWindowBack) {
    SetStatusText(kStatusMessage, L"before");
    g_createDibSection = &RefuseSection;
    EXPECT_EQ(StartSnipByHotKey(), nullptr);
    EXPECT_EQ(CountOverlays(), 0);
    EXPECT_EQ(g_snip.frozen.dc, nullptr);
    EXPECT_TRUE(IsWindowVisible(g_app.main));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"before");
    g_createDibSection = &CreateDIBSection;
    EXPECT_NE(StartSnipByHotKey(), nullptr);
}

} // namespace
