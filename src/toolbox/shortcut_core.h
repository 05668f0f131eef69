// The keyboard shortcut table: what a key-down or a character means in the current state. No window is
// involved; the handlers in shortcuts.cpp gather the state, ask here and carry the answer out.
#pragma once
#include <cstdint>

#include "toolbox/tool_state.h"

// Virtual-key codes the table needs, with the values the platform gives them.
namespace vk {
constexpr unsigned kBack = 0x08, kReturn = 0x0D, kEscape = 0x1B, kPrior = 0x21, kNext = 0x22, kSnapshot = 0x2C,
                   kDelete = 0x2E, kNumpad0 = 0x60, kNumpad9 = 0x69, kAdd = 0x6B, kSubtract = 0x6D, kF1 = 0x70,
                   kF7 = 0x76, kF12 = 0x7B, kOemPlus = 0xBB, kOemMinus = 0xBD, kOem4 = 0xDB, kOem6 = 0xDD,
                   kProcessKey = 0xE5;
}

// Only A..Z count as letters, so numeric-pad digits and F-keys (whose codes are lower-case letters' values)
// never choose tools.
constexpr bool IsLetterKey(unsigned code) { return code >= 'A' && code <= 'Z'; }

// A key as the upper-case Latin letter of its physical key where possible, else the key itself. imeKey and
// scanKey are the input method's real key and the key of the scan code, asked only for key 0 and the input
// method's processing key (0 when unknown).
unsigned NormalizeKeyWith(unsigned key, unsigned imeKey, unsigned scanKey);
// Whether NormalizeKeyWith needs the input method's and the scan code's answer for this key.
constexpr bool KeyNeedsLookup(unsigned key) { return key == 0 || key == vk::kProcessKey; }

struct KeyContext {
    unsigned key = 0; // the virtual key
    unsigned c = 0;   // the normalised key
    bool ctrl = false, shift = false, alt = false, win = false;
    bool snipActive = false;
    bool textBoxOpen = false;
    bool fromTextEdit = false; // the key was sent to the text box's edit control
    bool hasSelection = false;
    ToolId tool = ToolId::Rectangle;
    int pathAnchors = 0;
};

enum class KeyActionKind {
    NotHandled,
    Taken,       // handled, with nothing more to do
    Command,     // send command to the main window
    CtrlDigit,   // ToolCtrlDigit(value); not handled if that declines
    ToolKey,     // ToolKey(value); handled as it says
    Thickness,   // ChangeThickness(value)
    SetPathTool, // SetTool(Path)
    CancelSnip,
    StartSnip,
    Escape,          // clear the path, or settle text, selection and unfinished shapes
    Mosaic,          // Ctrl+M: path mosaic, selection mosaic or the mosaic dialog, by state
    MosaicDialog,    // Ctrl+Shift+M
    ThicknessDialog, // Ctrl+Shift+W
    StrokePath,
    RunPathAction,
    RemovePathAnchor,
};

struct KeyAction {
    KeyActionKind kind = KeyActionKind::NotHandled;
    int value = 0;
};

KeyAction DecideShortcutKey(const KeyContext& k);

// Hangul compatibility jamo U+3131..U+3163 to the Latin letter of the same key on the two-set layout, or 0.
wchar_t JamoKeyLetter(unsigned ch);

struct CharAction {
    KeyActionKind kind = KeyActionKind::NotHandled; // NotHandled, Taken, ToolKey or Thickness
    int value = 0;
};
// pendingLeadByte carries the first half of a code page 949 character between two character messages.
CharAction DecideShortcutChar(unsigned ch, bool textBoxOpen, uint8_t* pendingLeadByte);
