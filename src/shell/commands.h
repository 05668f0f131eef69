// Command identifiers and the dispatch of WM_COMMAND.
#pragma once

enum CommandId : int {
    kCmdCaptureScreen = 504,
};

// Carries out a menu or keyboard command; false when the identifier is not a command.
bool DispatchCommand(int id);
