#include "toolbox/shortcut_core.h"

#include "shell/command_ids.h"

unsigned NormalizeKeyWith(unsigned key, unsigned imeKey, unsigned scanKey) {
    if (IsLetterKey(key) || (key >= '0' && key <= '9')) return key;
    if (!KeyNeedsLookup(key)) return key;
    if (IsLetterKey(imeKey)) return imeKey;
    if (IsLetterKey(scanKey)) return scanKey;
    return key;
}

static KeyAction Act(KeyActionKind kind, int value = 0) { return {kind, value}; }
static KeyAction Cmd(int id) { return {KeyActionKind::Command, id}; }
static bool Is(const KeyContext& k, unsigned letter) { return k.c == letter || k.key == letter; }
static bool PathUsable(const KeyContext& k) { return k.tool == ToolId::Path && k.pathAnchors >= 2; }

static int CtrlDigitOf(unsigned key) {
    if (key >= '1' && key <= '9') return static_cast<int>(key - '0');
    if (key >= vk::kNumpad0 + 1 && key <= vk::kNumpad9) return static_cast<int>(key - vk::kNumpad0);
    return 0;
}

// Letters with Ctrl are tested on the normalised key; Shift changes only the keys listed with it.
static KeyAction CtrlLetter(const KeyContext& k) {
    switch (k.c) {
    case 'N': return Cmd(k.shift ? kCmdClearImage : kCmdNew);
    case 'O': return Cmd(kCmdOpen);
    case 'S': return Cmd(k.shift ? kCmdSaveAs : kCmdSave);
    case 'U': return k.shift ? Cmd(kCmdUploadSftp) : Act(KeyActionKind::NotHandled);
    case 'A': return Cmd(kCmdSelectAll);
    case 'B': return Cmd(kCmdToggleStatusBar);
    case 'C': return Cmd(kCmdCopy);
    case 'E': return Cmd(kCmdAttributes);
    case 'G': return Cmd(kCmdShowGrid);
    case 'I': return Cmd(kCmdInvertColors);
    case 'K': return Cmd(kCmdDrawOpaque);
    case 'L': return Cmd(kCmdToggleColorBox);
    case 'M': return Act(k.shift ? KeyActionKind::MosaicDialog : KeyActionKind::Mosaic);
    case 'R': return Cmd(kCmdFlipRotate);
    case 'T': return Cmd(kCmdToggleToolBox);
    case 'V': return Cmd(kCmdPaste);
    case 'W': return k.shift ? Act(KeyActionKind::ThicknessDialog) : Cmd(kCmdStretchSkew);
    case 'X': return Cmd(kCmdCut);
    case 'Y': return Cmd(kCmdRedo);
    case 'Z': return Cmd(kCmdUndo);
    default: return Act(KeyActionKind::NotHandled);
    }
}

static KeyAction WithCtrl(const KeyContext& k) {
    if (k.shift && Is(k, 'C')) return Cmd(kCmdCropToSelection);
    if (k.key == '0' || k.key == vk::kNumpad0) return Cmd(kCmdZoom100);
    if (const int d = CtrlDigitOf(k.key)) return Act(KeyActionKind::CtrlDigit, d);
    // The plus and minus keys by their codes; the characters they type are no key codes of their own.
    if (k.key == vk::kOemPlus || k.key == vk::kAdd) return Cmd(kCmdZoomIn);
    if (k.key == vk::kOemMinus || k.key == vk::kSubtract) return Cmd(kCmdZoomOut);
    if (IsLetterKey(k.c)) return CtrlLetter(k);
    if (k.key == vk::kReturn) {
        if (!PathUsable(k)) return Act(KeyActionKind::NotHandled);
        return Act(k.shift ? KeyActionKind::StrokePath : KeyActionKind::RunPathAction);
    }
    if (k.key == vk::kPrior) return Cmd(kCmdZoom100);
    if (k.key == vk::kNext) return Cmd(kCmdZoom400);
    return Act(KeyActionKind::NotHandled);
}

static KeyAction CommonKey(const KeyContext& k) {
    if (k.key == vk::kEscape) return Act(KeyActionKind::Escape);
    if (k.key == vk::kF1) return Cmd(kCmdShortcuts);
    if (k.key == vk::kF12) return Cmd(kCmdSaveAs);
    return Act(KeyActionKind::ToolKey, static_cast<int>(k.c));
}

// A text box is open and the key came from another window.
static KeyAction WithTextBoxOpen(const KeyContext& k) {
    if (k.key == vk::kReturn || k.key == vk::kBack) return Act(KeyActionKind::ToolKey, static_cast<int>(k.c));
    if (k.key == vk::kDelete) return Cmd(kCmdClearSelection);
    return CommonKey(k);
}

static KeyAction EditingKey(const KeyContext& k) {
    const bool anchors = k.tool == ToolId::Path && k.pathAnchors > 0;
    switch (k.key) {
    case vk::kReturn:
        if (PathUsable(k)) return Act(k.shift ? KeyActionKind::StrokePath : KeyActionKind::RunPathAction);
        if (k.hasSelection) return Cmd(kCmdCropToSelection);
        return Act(KeyActionKind::ToolKey, static_cast<int>(k.c));
    case vk::kBack:
        return anchors ? Act(KeyActionKind::RemovePathAnchor) : Act(KeyActionKind::ToolKey, static_cast<int>(k.c));
    case vk::kDelete: return anchors ? Act(KeyActionKind::RemovePathAnchor) : Cmd(kCmdClearSelection);
    default: return CommonKey(k);
    }
}

KeyAction DecideShortcutKey(const KeyContext& k) {
    if (k.snipActive) return k.key == vk::kEscape ? Act(KeyActionKind::CancelSnip) : Act(KeyActionKind::NotHandled);
    if (k.textBoxOpen && k.fromTextEdit) return Act(KeyActionKind::NotHandled);
    if (k.alt) return Act(KeyActionKind::NotHandled);
    if ((k.win && k.shift && Is(k, 'S')) || (k.ctrl && k.shift && Is(k, 'X')) || Is(k, vk::kF7) || Is(k, vk::kSnapshot))
        return Act(KeyActionKind::StartSnip);
    if (k.ctrl) return WithCtrl(k);
    if (k.shift) {
        if (Is(k, 'C')) return Cmd(kCmdCropToSelection);
        if (Is(k, 'P')) return Act(KeyActionKind::SetPathTool);
        if (k.textBoxOpen) return WithTextBoxOpen(k);
        if (k.key == vk::kOem4) return Act(KeyActionKind::Thickness, -5);
        if (k.key == vk::kOem6) return Act(KeyActionKind::Thickness, 5);
        return EditingKey(k);
    }
    if (k.textBoxOpen) return WithTextBoxOpen(k);
    if (k.key == vk::kOem4) return Act(KeyActionKind::Thickness, -1);
    if (k.key == vk::kOem6) return Act(KeyActionKind::Thickness, 1);
    return EditingKey(k);
}

wchar_t JamoKeyLetter(unsigned ch) {
    // U+3131 .. U+3163 in order; '.' for the compound jamo, which have no key of their own.
    static constexpr char kKeys[] = "RR.S..EEF.......AQQ.TTDWWCZXVGKOIOJPUPH...YN...BM.L";
    if (ch < 0x3131 || ch > 0x3163) return 0;
    const char k = kKeys[ch - 0x3131];
    return k == '.' ? 0 : static_cast<wchar_t>(k);
}

CharAction DecideShortcutChar(unsigned ch, bool textBoxOpen, uint8_t* pendingLeadByte) {
    // The lead byte lives only until the next character message.
    const uint8_t lead = *pendingLeadByte;
    *pendingLeadByte = 0;
    if (textBoxOpen) return {};
    if ((ch >= '1' && ch <= '8') || (ch >= 'A' && ch <= 'Z')) return {KeyActionKind::ToolKey, static_cast<int>(ch)};
    if (ch >= 'a' && ch <= 'z') return {KeyActionKind::ToolKey, static_cast<int>(ch - 'a' + 'A')};
    switch (ch) {
    case '[': return {KeyActionKind::Thickness, -1};
    case ']': return {KeyActionKind::Thickness, 1};
    case '{': return {KeyActionKind::Thickness, -5};
    case '}': return {KeyActionKind::Thickness, 5};
    default: break;
    }
    if (ch >= 0x3131 && ch <= 0x3163) {
        const wchar_t letter = JamoKeyLetter(ch);
        return letter ? CharAction{KeyActionKind::ToolKey, static_cast<int>(letter)} : CharAction{};
    }
    if (lead) {
        if (lead != 0xA4 || ch < 0xA1 || ch > 0xD3) return {};
        const wchar_t letter = JamoKeyLetter(0x3131 + (ch - 0xA1));
        return letter ? CharAction{KeyActionKind::ToolKey, static_cast<int>(letter)} : CharAction{};
    }
    if (ch == 0xA4) {
        *pendingLeadByte = 0xA4;
        return {KeyActionKind::Taken, 0};
    }
    return {};
}
