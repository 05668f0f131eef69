// The frame every dialog shares: class registration, placement, control styles, the modal loop, closing,
// giving activation back to the owner, and message boxes, including those a worker thread asks for.
// UI thread only, except PostMessageBoxRequest, SendMessageBoxRequest and PostStatusTextRequest.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string_view>
#include <type_traits>

// lParam: a request made by PostMessageBoxRequest, owned by the receiver, which passes it to OnMessageBoxRequest.
constexpr UINT kMsgMessageBoxRequest = WM_APP + 1;
// lParam: a request made by PostStatusTextRequest, owned by the receiver, which passes it to OnStatusTextRequest.
constexpr UINT kMsgStatusTextRequest = WM_APP + 2;

// Registers className with proc on first use, then creates the visible dialog window, width x height outer
// size, centred on owner's window rectangle but never left of or above x = 10, y = 10 (screen coordinates).
// Null when the class or the window cannot be created.
[[nodiscard]] HWND CreateDialogWindow(const wchar_t* className, WNDPROC proc, const wchar_t* caption, int width,
                                      int height, HWND owner);

enum class DialogControl {
    Label,
    GroupBox,
    FirstRadio,
    Radio,
    CheckBox,
    Edit,
    NumberEdit,
    Button,
    OkButton,
    CancelButton,
    PasswordEdit,
    EditableCombo, // height is the dropped-down list's
    DropDownList
};
// A child control in the house conventions with the stock GUI font; OK and Cancel always get ids 1 and 2.
// x, y, width and height are in dialog client pixels.
HWND AddDialogControl(HWND dialog, DialogControl kind, const wchar_t* text, int x, int y, int width, int height,
                      int id = 0);

// How many modal dialogs are running; only RunModalDialog changes it. Snip triggers and the like check it.
int ModalDialogDepth();

// The program's own message routing, which a modal loop uses for what is not the dialog's; the shell sets it at
// start-up (null: translate and dispatch).
extern void (*g_routeMessage)(MSG& msg);

// A dialog's own look at each message before the dialog manager: true when it handled the message, which is then
// neither translated nor dispatched.
using PreTranslateFn = bool (*)(HWND dialog, MSG& msg);

// Use RunModalDialog.
void RunModalDialogLoop(HWND dialog, HWND owner, HWND focus, bool* open, PreTranslateFn preTranslate = nullptr);

// Attaches record to dialog, disables owner, focuses focus and serves the dialog until it closes, the quit
// message arrives (it is posted again for the caller's loop) or the queue fails. Returns with the window gone,
// owner enabled and active unless an outer modal dialog still runs. record must outlive the call.
template <class Record>
void RunModalDialog(HWND dialog, HWND owner, HWND focus, Record& record, PreTranslateFn preTranslate = nullptr) {
    // The frame reaches the open flag through the user-data slot without knowing the record's type.
    static_assert(std::is_standard_layout_v<Record> && std::is_same_v<decltype(Record::open), bool> &&
                      offsetof(Record, open) == 0,
                  "a dialog record is a plain struct whose first member is bool open");
    RunModalDialogLoop(dialog, owner, focus, &record.open, preTranslate);
}

// The record a running modal dialog was given, or null (modeless, not yet running, or already ended).
template <class Record> Record* DialogRecord(HWND dialog) {
    return dialog ? reinterpret_cast<Record*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)) : nullptr;
}

// The close step of every dialog procedure: clears the open flag, if there is a record, and destroys the window.
void CloseDialog(HWND dialog);
// The WM_DESTROY step of every dialog procedure: a modal dialog clears its flag and wakes its loop; a modeless
// one gives activation back to its owner.
void OnDialogDestroyed(HWND dialog);

// The window that owns dialog; the main window when it has none or that one is gone.
HWND DialogOwner(HWND dialog);
// WM_CLOSE of a modeless window: destroys it, then gives activation back to its owner once more, after the
// system has chosen a window of its own for the one that went.
void CloseModelessWindow(HWND dialog);

// The whole message handling of a dialog whose only commands are OK and Cancel: OK runs onOk first, then both
// close the dialog, as WM_CLOSE does.
LRESULT OkCancelDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, void (*onOk)(HWND dialog));

// Gives activation and focus back to w (the main window when w is null or gone) after a dialog or message box.
// While a modal dialog runs it enables nothing and activates the top modal dialog instead.
void RestoreOwnerWindow(HWND w);

// A standard message box owned by owner (the main window when owner is null or gone; the top modal dialog when
// that window is disabled by a running one), then RestoreOwnerWindow. Returns the button, 0 on failure.
int OwnedMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);

// Any thread: asks the UI thread that owns mainWindow to show OwnedMessageBox(text, caption, flags) and returns
// at once. False when nothing could be posted. Worker threads never show UI themselves.
[[nodiscard]] bool PostMessageBoxRequest(HWND mainWindow, std::wstring_view text, std::wstring_view caption,
                                         UINT flags);
// Any thread but the UI thread: the same box, but waits for it and returns its button; 0 (no button) when
// mainWindow is gone. Used for questions whose answer the worker needs.
int SendMessageBoxRequest(HWND mainWindow, std::wstring_view text, std::wstring_view caption, UINT flags);
// kMsgMessageBoxRequest in the main window procedure: shows the box and frees a posted request. Returns the button.
LRESULT OnMessageBoxRequest(LPARAM request);

// Any thread: asks the UI thread that owns mainWindow to put text into status part part and returns at once.
// False when nothing could be posted.
[[nodiscard]] bool PostStatusTextRequest(HWND mainWindow, int part, std::wstring_view text);
// kMsgStatusTextRequest in the main window procedure: sets the text and frees the request.
LRESULT OnStatusTextRequest(LPARAM request);
