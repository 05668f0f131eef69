#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/dialog_frame.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"
#include "support/modal_step.h"

namespace {

using DialogFrame = AppFixture;

constexpr wchar_t kTestDialogClass[] = L"KolvexFrameTestClass";

struct TestDialog {
    bool open;
};

// What the test dialog's procedure saw in its destroy notification.
struct DestroySeen {
    int count = 0;
    bool hadRecord = false;
};
DestroySeen g_destroySeen;

LRESULT CALLBACK TestDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) CloseDialog(hwnd);
        return 0;
    case WM_CLOSE: CloseDialog(hwnd); return 0;
    case WM_DESTROY:
        ++g_destroySeen.count;
        g_destroySeen.hadRecord = DialogRecord<TestDialog>(hwnd) != nullptr;
        OnDialogDestroyed(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateTestDialog(const wchar_t* caption, int width = 300, int height = 200) {
    return CreateDialogWindow(kTestDialogClass, TestDialogProc, caption, width, height, g_app.main);
}

// One modal run of the test dialog with a step that a timer runs inside its loop.
using Step = void (*)(HWND dialog);
struct ModalRun {
    HWND dialog = nullptr;
    bool stepRan = false;
    bool timedOut = false;
};
ModalRun g_run;

void RunTestDialog(Step step, TestDialog& record) {
    g_run = {};
    g_run.dialog = CreateTestDialog(L"Frame test");
    ASSERT_NE(g_run.dialog, nullptr);
    HWND ok = AddDialogControl(g_run.dialog, DialogControl::OkButton, L"OK", 10, 10, 80, 24);
    const ModalStepResult r = RunModalStep([] { return g_run.dialog; }, step,
                                           [&] { RunModalDialog(g_run.dialog, g_app.main, ok, record); }, 3000);
    g_run.stepRan = r.stepRan;
    g_run.timedOut = r.timedOut;
}

// The message box of this thread that a timer answered.
struct BoxSeen {
    int button = 0;
    bool found = false;
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring text;
    bool mainEnabled = false;
};
BoxSeen g_box;

// Only windows of this thread count: a box shown by another thread is never answered.
void CALLBACK AnswerBoxTimer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindThreadDialog();
    if (!box) return;
    KillTimer(nullptr, id);
    wchar_t caption[128] = {};
    GetWindowTextW(box, caption, 128);
    g_box.caption = caption;
    g_box.text = DialogStaticText(box);
    g_box.owner = GetWindow(box, GW_OWNER);
    g_box.mainEnabled = IsWindowEnabled(g_app.main);
    g_box.found = true;
    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(g_box.button), 0);
}

UINT_PTR AnswerNextBox(int button) {
    g_box = {};
    g_box.button = button;
    return SetTimer(nullptr, 0, 20, AnswerBoxTimer);
}

struct ModalSeen {
    HWND modeless = nullptr;
    bool mainEnabledBefore = true;
    bool mainEnabledAfter = true;
    HWND activeAfter = nullptr;
    int depth = 0;
    int boxResult = 0;
};
ModalSeen g_seen;

void CloseModelessThenDialog(HWND dialog) {
    g_seen.mainEnabledBefore = IsWindowEnabled(g_app.main);
    g_seen.depth = ModalDialogDepth();
    DestroyWindow(g_seen.modeless); // its destroy notification restores its owner
    g_seen.mainEnabledAfter = IsWindowEnabled(g_app.main);
    g_seen.activeAfter = GetActiveWindow();
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(DialogFrame, MainStaysDisabledWhenAModelessWindowClosesDuringAModalDialog) {
    g_seen = {};
    g_seen.modeless = CreateTestDialog(L"Modeless", 200, 120);
    ASSERT_NE(g_seen.modeless, nullptr);
    TestDialog record{};
    RunTestDialog(CloseModelessThenDialog, record);

    ASSERT_TRUE(g_run.stepRan);
    EXPECT_FALSE(g_run.timedOut);
    EXPECT_EQ(g_seen.depth, 1);
    EXPECT_FALSE(g_seen.mainEnabledBefore);
    EXPECT_FALSE(IsWindow(g_seen.modeless));
    EXPECT_FALSE(g_seen.mainEnabledAfter);
    EXPECT_EQ(g_seen.activeAfter, g_run.dialog);

    EXPECT_FALSE(IsWindow(g_run.dialog));
    EXPECT_EQ(ModalDialogDepth(), 0);
    EXPECT_TRUE(IsWindowEnabled(g_app.main));
    EXPECT_EQ(GetActiveWindow(), g_app.main);
    EXPECT_EQ(GetForegroundWindow(), g_app.main);
}

void AskThenCloseDialog(HWND dialog) {
    const UINT_PTR timer = AnswerNextBox(IDYES);
    g_seen.boxResult = OwnedMessageBox(g_app.main, L"Inside", L"Modal box", MB_YESNO);
    KillTimer(nullptr, timer);
    g_seen.mainEnabledAfter = IsWindowEnabled(g_app.main);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(DialogFrame, MessageBoxDuringAModalDialogBelongsToItAndKeepsMainDisabled) {
    g_seen = {};
    TestDialog record{};
    RunTestDialog(AskThenCloseDialog, record);

    ASSERT_TRUE(g_run.stepRan);
    EXPECT_FALSE(g_run.timedOut);
    ASSERT_TRUE(g_box.found);
    EXPECT_EQ(g_seen.boxResult, IDYES);
    EXPECT_EQ(g_box.owner, g_run.dialog);
    EXPECT_FALSE(g_box.mainEnabled);
    EXPECT_FALSE(g_seen.mainEnabledAfter);
    EXPECT_TRUE(IsWindowEnabled(g_app.main));
}

void PostQuit(HWND) { PostQuitMessage(3); }

TEST_F(DialogFrame, QuitEndsTheModalLoopDestroysTheDialogAndStaysQueued) {
    g_destroySeen = {};
    TestDialog record{};
    RunTestDialog(PostQuit, record);

    ASSERT_TRUE(g_run.stepRan);
    EXPECT_FALSE(g_run.timedOut);
    EXPECT_FALSE(IsWindow(g_run.dialog));
    EXPECT_EQ(g_destroySeen.count, 1);
    EXPECT_FALSE(g_destroySeen.hadRecord); // detached before the window went, so nothing writes to a dead record
    EXPECT_FALSE(record.open);
    EXPECT_EQ(ModalDialogDepth(), 0);
    EXPECT_TRUE(IsWindowEnabled(g_app.main));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(DialogFrame, CentresOnTheOwnerButNeverAboveOrLeftOfTen) {
    struct Case {
        RECT owner;
        int width, height;
        POINT expected;
        const char* why;
    };
    const Case cases[] = {
        {{100, 50, 900, 650}, 300, 200, {350, 250}, "centred"},
        {{100, 50, 701, 651}, 602, 604, {100, 49}, "halves round toward zero"},
        {{-600, -500, 100, 100}, 300, 200, {10, 10}, "raised to 10"},
    };
    for (const Case& c : cases) {
        SetWindowPos(g_app.main, nullptr, c.owner.left, c.owner.top, c.owner.right - c.owner.left,
                     c.owner.bottom - c.owner.top, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT ownerNow;
        GetWindowRect(g_app.main, &ownerNow);
        ASSERT_TRUE(EqualRect(&ownerNow, &c.owner)) << c.why;

        HWND dialog = CreateTestDialog(L"Placed", c.width, c.height);
        ASSERT_NE(dialog, nullptr) << c.why;
        RECT r;
        GetWindowRect(dialog, &r);
        EXPECT_EQ(r.left, c.expected.x) << c.why;
        EXPECT_EQ(r.top, c.expected.y) << c.why;
        EXPECT_EQ(r.right - r.left, c.width) << c.why;
        EXPECT_EQ(r.bottom - r.top, c.height) << c.why;
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), g_app.main) << c.why;
        DestroyWindow(dialog);
    }
}

TEST_F(DialogFrame, ControlsGetTheirStylesIdsAndTheStockGuiFont) {
    struct Case {
        DialogControl kind;
        const wchar_t* className;
        DWORD style;
        DWORD exStyle;
        int id;
    };
    const Case cases[] = {
        {DialogControl::FirstRadio, L"Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 101},
        {DialogControl::Radio, L"Button", BS_AUTORADIOBUTTON, 0, 102},
        {DialogControl::NumberEdit, L"Edit", ES_NUMBER | WS_TABSTOP, WS_EX_CLIENTEDGE, 103},
        {DialogControl::OkButton, L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, IDOK},
        {DialogControl::CancelButton, L"Button", BS_PUSHBUTTON | WS_TABSTOP, 0, IDCANCEL},
    };
    HWND dialog = CreateTestDialog(L"Controls");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetClassLongPtrW(dialog, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
    for (const Case& c : cases) {
        HWND control =
            AddDialogControl(dialog, c.kind, L"x", 10, 10, 80, 24, c.id == IDOK || c.id == IDCANCEL ? 0 : c.id);
        ASSERT_NE(control, nullptr) << c.id;
        wchar_t cls[32] = {};
        GetClassNameW(control, cls, 32);
        EXPECT_EQ(_wcsicmp(cls, c.className), 0) << c.id;
        EXPECT_EQ(GetDlgCtrlID(control), c.id);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
        EXPECT_EQ(style & (c.style | BS_TYPEMASK), c.style) << c.id; // also no other button type
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)) & c.exStyle, c.exStyle) << c.id;
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT))
            << c.id;
    }
    DestroyWindow(dialog);
}

TEST_F(DialogFrame, OwnedMessageBoxIsOwnedByTheMainWindowAndReturnsTheButton) {
    HWND gone = CreateTestDialog(L"Gone");
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    PumpMessages();
    struct Case {
        HWND owner;
        UINT flags;
        int button;
        const wchar_t* caption;
    };
    const Case cases[] = {
        {g_app.main, MB_OKCANCEL, IDCANCEL, L"Main owner"},
        {nullptr, MB_YESNO | MB_ICONQUESTION, IDNO, L"No owner"},
        {gone, MB_YESNOCANCEL, IDYES, L"Gone owner"},
    };
    for (const Case& c : cases) {
        const UINT_PTR timer = AnswerNextBox(c.button);
        const int result = OwnedMessageBox(c.owner, L"Frame text", c.caption, c.flags);
        KillTimer(nullptr, timer);
        ASSERT_TRUE(g_box.found) << c.button;
        EXPECT_EQ(result, c.button);
        EXPECT_EQ(g_box.owner, g_app.main) << c.button;
        EXPECT_EQ(g_box.caption, c.caption);
        EXPECT_EQ(g_box.text, L"Frame text");
        EXPECT_TRUE(IsWindowEnabled(g_app.main)) << c.button;
        EXPECT_EQ(GetActiveWindow(), g_app.main) << c.button;
    }
}

DWORD WINAPI RequestFromWorker(void* main) {
    return PostMessageBoxRequest(static_cast<HWND>(main), L"Upload finished.", L"Worker box", MB_OK) ? 0 : 1;
}

TEST_F(DialogFrame, MessageBoxRequestedByAWorkerIsShownByTheUiThread) {
    const UINT_PTR timer = AnswerNextBox(IDOK);
    HANDLE worker = CreateThread(nullptr, 0, RequestFromWorker, g_app.main, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    // A worker that showed the box itself would still be waiting for an answer here.
    const DWORD waited = WaitForSingleObject(worker, 3000);
    DWORD exitCode = 1;
    GetExitCodeThread(worker, &exitCode);
    CloseHandle(worker);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(g_box.found);

    EXPECT_TRUE(PumpUntil([] { return g_box.found; }));
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_box.caption, L"Worker box");
    EXPECT_EQ(g_box.text, L"Upload finished.");
    EXPECT_EQ(g_box.owner, g_app.main);
}

DWORD WINAPI StatusFromWorker(void* main) {
    return PostStatusTextRequest(static_cast<HWND>(main), kStatusMessage, L"Upload running.") ? 0 : 1;
}

TEST_F(DialogFrame, StatusTextRequestedByAWorkerIsSetByTheUiThread) {
    HANDLE worker = CreateThread(nullptr, 0, StatusFromWorker, g_app.main, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    ASSERT_EQ(WaitForSingleObject(worker, 3000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeThread(worker, &exitCode);
    CloseHandle(worker);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(PumpUntil([] { return GetStatusText(kStatusMessage) == L"Upload running."; }));
}

} // namespace
