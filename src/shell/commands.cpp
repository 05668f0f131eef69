#include "shell/commands.h"

#include "capture/snip_window.h"

bool DispatchCommand(int id) {
    switch (id) {
    case kCmdCaptureScreen: StartScreenSnip(); return true;
    default: return false;
    }
}
