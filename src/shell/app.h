// Start-up, the command line and the one message loop of the program.
#pragma once
#include <windows.h>

#include <span>
#include <string>
#include <vector>

struct StartupContext {
    HINSTANCE instance;
    int showCommand;
    HMENU menuBar = nullptr;
    HWND main = nullptr;
};
// One step of start-up; false stops it.
struct StartupStep {
    const char* name;
    bool (*run)(StartupContext& c);
};
// The steps StartApplication takes, in order; the start-up benchmark times each.
std::span<const StartupStep> StartupSteps();
// Registers the exit handler, the classes and the hot keys and creates and shows the main window.
// Returns the main window, or null when it cannot be created.
HWND StartApplication(HINSTANCE instance, int showCommand);
// The process's wide command line, split the system's way; the program name comes first.
std::vector<std::wstring> SplitCommandLine();
// Opens the picture named on the command line, or posts the snip command for a capture switch.
// ansiCommandLine is the entry point's, without the program name; it may be null.
void ActOnCommandLine(HWND main, const std::vector<std::wstring>& args, const char* ansiCommandLine);
// Runs until WM_QUIT and returns its wParam.
int RunMessageLoop();
// Routes one retrieved message: the loop's own key handling first, then translate and dispatch.
void ProcessMessage(MSG& msg);
