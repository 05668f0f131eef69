// The entry point: everything else lives in the program library so the window tests can link it.
#include <windows.h>

#include "shell/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    HWND main = StartApplication(instance, showCommand);
    if (!main) return 1;
    ActOnCommandLine(main, SplitCommandLine(), commandLine);
    return RunMessageLoop();
}
