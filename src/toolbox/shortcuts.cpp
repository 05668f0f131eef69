#include "toolbox/shortcuts.h"

#include "base/app_windows.h"
#include "base/loaders.h"
#include "capture/snip_window.h"
#include "filters/mosaic.h"
#include "filters/mosaic_dialog.h"
#include "tools/path_tool.h"
#include "tools/pending_edits.h"
#include "tools/selection.h"
#include "tools/shape_tools.h"
#include "tools/text_tool.h"
#include "tools/tool_commands.h"
#include "toolbox/shortcut_core.h"
#include "toolbox/thickness_dialog.h"
#include "toolbox/tool_actions.h"

// UI thread only.
static uint8_t g_pendingLeadByte = 0;

bool HasImeVirtualKeyFunction() { return LoadImeApi().getVirtualKey != nullptr; }

unsigned NormalizeKey(UINT key, LPARAM flags, HWND window) {
    unsigned imeKey = 0, scanKey = 0;
    if (KeyNeedsLookup(key)) {
        if (auto fn = LoadImeApi().getVirtualKey; fn && window) imeKey = fn(window);
        if (const UINT scan = (static_cast<UINT>(flags) >> 16) & 0xFF) scanKey = MapVirtualKeyW(scan, MAPVK_VSC_TO_VK);
    }
    return NormalizeKeyWith(key, imeKey, scanKey);
}

static bool Down(int vkey) { return GetKeyState(vkey) < 0; }

static void SendCommand(int id) {
    if (g_app.main) SendMessageW(g_app.main, WM_COMMAND, id, 0);
}

// With the Path tool a path is all Esc takes; otherwise it settles the text, the selection and the unfinished
// shapes.
static void EscapeKey() {
    if (g_tools.currentTool == ToolId::Path && IsPathInProgress()) {
        ClearPath();
        return;
    }
    SettlePendingEdits(Settle::All);
    if (CancelUnfinishedShapes()) RepaintCanvas();
}

static bool Carry(const KeyAction& a) {
    switch (a.kind) {
    case KeyActionKind::NotHandled: return false;
    case KeyActionKind::Command: SendCommand(a.value); return true;
    case KeyActionKind::CtrlDigit: return ToolCtrlDigit(a.value);
    case KeyActionKind::ToolKey: return ToolKey(static_cast<wchar_t>(a.value));
    case KeyActionKind::Thickness: ChangeThickness(a.value); return true;
    case KeyActionKind::SetPathTool: SetTool(ToolId::Path); return true;
    case KeyActionKind::CancelSnip: CancelScreenSnip(); return true;
    case KeyActionKind::StartSnip: StartScreenSnip(); return true;
    case KeyActionKind::Escape: EscapeKey(); return true;
    case KeyActionKind::ThicknessDialog: OpenThicknessDialog(g_app.main); return true;
    case KeyActionKind::Mosaic: MosaicKey(); return true;
    case KeyActionKind::MosaicDialog: OpenMosaicDialog(g_app.main); return true;
    case KeyActionKind::StrokePath: StrokePathCommand(); return true;
    case KeyActionKind::RunPathAction: RunPathAction(); return true;
    case KeyActionKind::RemovePathAnchor: (void)RemoveLastPathAnchor(); return true;
    default: return true;
    }
}

bool HandleShortcutKey(UINT virtualKey, LPARAM keyData, HWND target) {
    KeyContext k;
    k.key = virtualKey;
    k.c = NormalizeKey(virtualKey, keyData, target);
    k.ctrl = Down(VK_CONTROL);
    k.shift = Down(VK_SHIFT);
    k.alt = Down(VK_MENU);
    k.win = Down(VK_LWIN) || Down(VK_RWIN);
    k.snipActive = SnipWindow() != nullptr;
    k.textBoxOpen = IsTextEditingActive();
    k.fromTextEdit = target && target == TextEditWindow();
    k.hasSelection = HasSelection();
    k.tool = g_tools.currentTool;
    k.pathAnchors = PathAnchorCount();
    return Carry(DecideShortcutKey(k));
}

bool HandleShortcutChar(WPARAM character) {
    if (SnipWindow()) return false; // typed over the overlay: no tool or thickness changes under the snip
    const CharAction a =
        DecideShortcutChar(static_cast<unsigned>(character), IsTextEditingActive(), &g_pendingLeadByte);
    return Carry({a.kind, a.value});
}
