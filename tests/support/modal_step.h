// Acting inside a modal dialog as a user does while it is open: a timer, which the dialog's own loop serves, waits
// for the dialog's window and runs a step in it once; a second timer ends a dialog the step failed to close, so
// that a broken dialog fails the test instead of hanging it.
#pragma once
#include <windows.h>

#include <functional>

struct ModalStepResult {
    HWND dialog = nullptr; // the window the step ran in
    bool stepRan = false;
    bool timedOut = false;
};

// Calls open, which runs a modal loop (a command that opens a dialog, or RunModalDialog itself). Inside that loop,
// step(dialog) runs once find() gives a window.
ModalStepResult RunModalStep(const std::function<HWND()>& find, const std::function<void(HWND dialog)>& step,
                             const std::function<void()>& open, UINT timeoutMs = 5000);
// The same, for the first visible window of class dialogClass that this thread shows.
ModalStepResult RunModalStep(const wchar_t* dialogClass, const std::function<void(HWND dialog)>& step,
                             const std::function<void()>& open, UINT timeoutMs = 5000);

// The first visible window of this thread with that class, or null.
HWND FindThreadWindowOfClass(const wchar_t* className);
