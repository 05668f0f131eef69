// What a snip must not do: start under a question the program is asking, take a stale picture from a busy
// clipboard, or make a picture beyond the size limit.
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "base/status_text.h"
#include "capture/snip_fixture.h"
#include "capture/snip_output.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "filters/clipboard_cases.h"
#include "filters/clipboard_helper_process.h"
#include "shell/command_ids.h"
#include "shell/dialog_frame.h"
#include "tools/selection.h"

namespace {

using SnipGuard = SnipFixture;

constexpr wchar_t kGuardDialogClass[] = L"KolvexSnipGuardTestClass";

struct GuardDialog {
    bool open;
};

LRESULT CALLBACK GuardDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) CloseDialog(hwnd);
        return 0;
    case WM_CLOSE: CloseDialog(hwnd); return 0;
    case WM_DESTROY: OnDialogDestroyed(hwnd); return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// What a timer inside the question's own loop saw: every trigger posted, then whether a snip started.
struct Probe {
    HWND (*question)() = nullptr; // the window asking, once it is up
    int ticks = 0;
    bool posted = false;
    bool mainDisabled = false;
    int overlays = -1;
};
Probe g_probe;
HWND g_modal = nullptr;

HWND ModalQuestion() { return g_modal; }

void CALLBACK ProbeTimer(HWND, UINT, UINT_PTR, DWORD) {
    ++g_probe.ticks;
    HWND question = g_probe.question();
    if (!question && g_probe.ticks < 200) return; // an Open dialog takes a moment to come up
    if (!g_probe.posted) {
        g_probe.mainDisabled = !IsWindowEnabled(g_app.main);
        PostMessageW(g_app.main, WM_HOTKEY, kHotKeySnipPrintScreen, 0);
        PostMessageW(g_app.main, WM_COMMAND, kCmdCaptureRegion, 0);
        PostMessageW(g_app.main, WM_COMMAND, kCmdCaptureScreen, 0);
        g_probe.posted = true;
        return; // the posts are served before the next tick
    }
    if (g_probe.overlays < 0) g_probe.overlays = CountOverlays();
    if (question) PostMessageW(question, WM_COMMAND, IDCANCEL, 0);
}

void RunModal() {
    g_modal = CreateDialogWindow(kGuardDialogClass, GuardDialogProc, L"Guard", 300, 200, g_app.main);
    ASSERT_NE(g_modal, nullptr);
    GuardDialog record{};
    RunModalDialog(g_modal, g_app.main, g_modal, record);
}

void RunMessageBox() { OwnedMessageBox(g_app.main, L"A question", L"Kolvex", MB_OKCANCEL); }

void RunOpenDialog() {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = g_app.main;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    EXPECT_FALSE(GetOpenFileNameW(&ofn)) << "cancelled";
}

TEST_F(SnipGuard, NoTriggerStartsASnipWhileTheProgramAsksSomething) {
    struct Case {
        const char* name;
        void (*run)();
        HWND (*question)();
    } cases[] = {
        {"a modal dialog", RunModal, ModalQuestion},
        {"a message box", RunMessageBox, FindThreadDialog},
        {"an Open dialog", RunOpenDialog, FindThreadDialog},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_probe = {};
        g_probe.question = c.question;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, ProbeTimer);
        c.run();
        KillTimer(nullptr, timer);
        g_modal = nullptr;
        EXPECT_TRUE(g_probe.posted);
        EXPECT_TRUE(g_probe.mainDisabled);
        EXPECT_EQ(g_probe.overlays, 0);
        PumpMessages();
        EXPECT_EQ(SnipWindow(), nullptr) << "nothing was queued for later either";
        EXPECT_TRUE(IsWindowEnabled(g_app.main));
        EXPECT_NE(StartSnipByHotKey(), nullptr) << "once it is closed";
        CancelScreenSnip();
    }
}

std::vector<uint8_t> ClipboardDib() {
    std::vector<uint8_t> out;
    if (!OpenClipboard(g_app.main)) return out;
    if (HANDLE h = GetClipboardData(CF_DIB)) {
        const auto* p = static_cast<const uint8_t*>(GlobalLock(h));
        if (p) out.assign(p, p + GlobalSize(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

TEST_F(SnipGuard, ABusyClipboardLeavesItsPictureAndTheCaptureStillFloatsFromTheSnip) {
    MarkDocumentModified();
    ClipboardHelper holder(L"hold p10x10");
    ASSERT_TRUE(holder.Started());
    SnipPattern(20, 30, 200, 100);
    ASSERT_TRUE(HasSelection());
    ASSERT_EQ(g_selection.width, 200);
    ASSERT_EQ(g_selection.height, 100);
    const PixelView image{g_selection.image.pixels, 200, 100};
    std::string where;
    GdiFlush();
    EXPECT_EQ(PatternMismatches([&](int x, int y) { return ReadPixel(image, x, y); }, 20, 30, 200, 100, &where), 0)
        << where;
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Screen captured (200 x 100 px) - clipboard unavailable.");
    holder.Release();
    clipcases::Case c;
    ASSERT_TRUE(clipcases::FindCase("p10x10", &c));
    std::vector<uint8_t> dib;
    EXPECT_TRUE(PumpUntil([&] {
        dib = ClipboardDib();
        return dib.size() >= c.block.size();
    }));
    dib.resize(c.block.size());
    EXPECT_EQ(dib, c.block) << "the other program's picture is still on the clipboard";
}

TEST_F(SnipGuard, ACaptureBeyondThePictureSizeLimitIsRefusedAndChangesNothing) {
    struct Case {
        const char* name;
        int pictureWidth, pictureHeight;
        bool modified;
        int captureWidth, captureHeight;
        const wchar_t* told;
    } cases[] = {
        {"a selection that would grow the picture past the limit", 32767, 100, true, 100, 32767,
         L"A picture of 32767 x 32767 pixels is too large."},
        {"a blank page replaced by too wide a capture", 640, 480, false, 32768, 1,
         L"A picture of 32768 x 1 pixels is too large."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshWhitePicture(c.pictureWidth, c.pictureHeight);
        g_document.modified = c.modified;
        const size_t depth = g_undo.undo.size();
        const std::vector<uint32_t> capture(static_cast<size_t>(c.captureWidth) * c.captureHeight, 0xFF123456u);
        EXPECT_FALSE(PutCaptureInPicture(capture.data(), c.captureWidth, c.captureHeight));
        EXPECT_EQ(GetStatusText(kStatusMessage), c.told);
        EXPECT_EQ(g_canvas.width, c.pictureWidth);
        EXPECT_EQ(g_canvas.height, c.pictureHeight);
        EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0);
        EXPECT_EQ(g_undo.undo.size(), depth);
        EXPECT_EQ(g_document.modified, c.modified);
        EXPECT_FALSE(HasSelection());
    }
}

} // namespace
