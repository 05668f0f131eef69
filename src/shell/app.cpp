#include "shell/app.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>

#include "base/text_convert.h"
#include "base/ui_thread.h"
#include "capture/snip_window.h"
#include "document/undo_history.h"
#include "files/file_commands.h"
#include "files/image_load.h"
#include "filters/mosaic_dialog.h"
#include "shell/command_line_core.h"
#include "shell/command_ids.h"
#include "shell/dialog_frame.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"
#include "shell/recent_files.h"
#include "sftp/sftp_temp.h"
#include "tools/canvas_window.h"
#include "tools/font_toolbar_window.h"
#include "tools/pending_edits.h"
#include "tools/text_tool.h"
#include "toolbox/shortcuts.h"
#include "toolbox/thickness_dialog.h"
#include "update/update_window.h"

// Runs also when the process ends without WM_DESTROY, so no spool file outlives it.
static void CleanUpAtExit() { ClearUndoHistory(); }

namespace {

bool PrepareProcess(StartupContext& c) {
    MarkUiThread();
    g_app.instance = c.instance;
    g_routeMessage = ProcessMessage;
    static bool exitHandlerRegistered = false;
    if (!exitHandlerRegistered) exitHandlerRegistered = std::atexit(CleanUpAtExit) == 0;
    return true;
}

bool InitControls(StartupContext&) {
    InitCommonControls();
    return true;
}

// What earlier runs left behind in the temporary folder.
bool RemoveLeftovers(StartupContext&) {
    RemoveStaleSpoolDirectories();
    PrepareSftpTempFiles();
    return true;
}

bool RegisterClasses(StartupContext& c) {
    RegisterWindowClasses(c.instance);
    return true;
}

bool ReadRecentFiles(StartupContext&) {
    LoadRecentFiles();
    return true;
}

bool MakeMenuBar(StartupContext& c) {
    c.menuBar = BuildMenuBar();
    return true;
}

bool MakeMainWindow(StartupContext& c) {
    c.main = CreateMainWindow(c.instance, c.menuBar);
    return c.main != nullptr;
}

bool TakeHotKeys(StartupContext& c) {
    RegisterSnipHotKeys(c.main);
    return true;
}

bool ShowMainWindow(StartupContext& c) {
    ShowWindow(c.main, c.showCommand);
    UpdateWindow(c.main);
    return true;
}

constexpr StartupStep kStartupSteps[] = {
    {"process", PrepareProcess},         {"common controls", InitControls}, {"leftovers", RemoveLeftovers},
    {"window classes", RegisterClasses}, {"recent files", ReadRecentFiles}, {"menu bar", MakeMenuBar},
    {"main window", MakeMainWindow},     {"hot keys", TakeHotKeys},         {"show", ShowMainWindow},
};

} // namespace

std::span<const StartupStep> StartupSteps() { return kStartupSteps; }

HWND StartApplication(HINSTANCE instance, int showCommand) {
    StartupContext c{instance, showCommand};
    for (const StartupStep& step : kStartupSteps)
        if (!step.run(c)) return nullptr;
    return c.main;
}

std::vector<std::wstring> SplitCommandLine() {
    std::vector<std::wstring> args;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return args;
    for (int i = 0; i < argc; ++i)
        args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

void ActOnCommandLine(HWND main, const std::vector<std::wstring>& args, const char* ansiCommandLine) {
    const CommandLineAction action = DecideCommandLine(args, ansiCommandLine);
    switch (action.kind) {
    case CommandLineAction::Kind::Capture: PostMessageW(main, WM_COMMAND, kCmdCaptureScreen, 0); break;
    // A file that cannot be read leaves the blank picture and says so in the status bar.
    case CommandLineAction::Kind::OpenWide:
        SettlePendingEdits(Settle::Text);
        (void)OpenPictureFile(action.widePath);
        break;
    case CommandLineAction::Kind::OpenAnsi:
        SettlePendingEdits(Settle::Text);
        (void)OpenPictureFileAnsi(action.ansiPath);
        break;
    case CommandLineAction::Kind::None: break;
    }
}

static bool HasClass(HWND w, const wchar_t* name) {
    wchar_t cls[64] = {};
    return w && GetClassNameW(w, cls, 64) && lstrcmpiW(cls, name) == 0;
}

// Keys typed into the text box, the font toolbar's lists or a dialog's edit field are text, not shortcuts. Any
// number of thickness and mosaic dialogs may be open, so the field is known by its dialog's class.
static bool IsForEditField(HWND target) {
    if (IsTextEditingActive() && target && target == TextEditWindow()) return true;
    if (IsFontToolbarField(target)) return true;
    if (!HasClass(target, L"Edit")) return false;
    HWND parent = GetParent(target);
    return HasClass(parent, kThicknessClass) || HasClass(parent, kMosaicClass);
}

// True when the message was handled here and must not be dispatched.
static bool PreRouteMessage(MSG& msg) {
    if (SnipWindow() && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        CancelScreenSnip();
        return true;
    }
    if (HWND update = UpdateWindowHandle(); update && IsWindow(update)) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            SendMessageW(update, WM_COMMAND, IDCANCEL, 0);
            return true;
        }
        if (IsDialogMessageW(update, &msg)) return true;
    }
    switch (msg.message) {
    case WM_KEYDOWN:
        if (msg.wParam == VK_SPACE && CanPanWithSpace()) {
            ArmSpacePan();
            return true;
        }
        return !IsForEditField(msg.hwnd) && HandleShortcutKey(static_cast<UINT>(msg.wParam), msg.lParam, msg.hwnd);
    case WM_KEYUP:
        if (msg.wParam != VK_SPACE || (!IsSpaceHeld() && !IsPanning())) return false;
        ReleaseSpacePan();
        return true;
    case WM_CHAR: return !IsForEditField(msg.hwnd) && HandleShortcutChar(msg.wParam);
    default: return false;
    }
}

void ProcessMessage(MSG& msg) {
    if (PreRouteMessage(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int RunMessageLoop() {
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        ProcessMessage(msg);
    }
}
