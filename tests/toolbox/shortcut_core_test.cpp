#include "toolbox/shortcut_core.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/command_ids.h"

namespace {

using K = KeyActionKind;

struct KeyCase {
    const char* name;
    KeyContext k;
    KeyAction expected;
};

KeyContext Key(unsigned key, bool ctrl = false, bool shift = false) {
    KeyContext k;
    k.key = key;
    k.c = key;
    k.ctrl = ctrl;
    k.shift = shift;
    return k;
}

KeyContext With(KeyContext k, void (*change)(KeyContext*)) {
    change(&k);
    return k;
}

TEST(ShortcutTable, EveryKeyOfTheTableDoesItsAction) {
    const KeyCase cases[] = {
        {"Ctrl+Shift+C", Key('C', true, true), {K::Command, kCmdCropToSelection}},
        {"Ctrl+0", Key('0', true), {K::Command, kCmdZoom100}},
        {"Ctrl+Numpad0", Key(vk::kNumpad0, true), {K::Command, kCmdZoom100}},
        {"Ctrl+3", Key('3', true), {K::CtrlDigit, 3}},
        {"Ctrl+Numpad7", Key(vk::kNumpad0 + 7, true), {K::CtrlDigit, 7}},
        {"Ctrl+plus", Key(vk::kOemPlus, true), {K::Command, kCmdZoomIn}},
        {"Ctrl+numpad plus", Key(vk::kAdd, true), {K::Command, kCmdZoomIn}},
        {"Ctrl+minus", Key(vk::kOemMinus, true), {K::Command, kCmdZoomOut}},
        {"Ctrl+numpad minus", Key(vk::kSubtract, true), {K::Command, kCmdZoomOut}},
        {"Ctrl+N", Key('N', true), {K::Command, kCmdNew}},
        {"Ctrl+Shift+N", Key('N', true, true), {K::Command, kCmdClearImage}},
        {"Ctrl+O", Key('O', true), {K::Command, kCmdOpen}},
        {"Ctrl+S", Key('S', true), {K::Command, kCmdSave}},
        {"Ctrl+Shift+S", Key('S', true, true), {K::Command, kCmdSaveAs}},
        {"Ctrl+Shift+U", Key('U', true, true), {K::Command, kCmdUploadSftp}},
        {"Ctrl+U", Key('U', true), {K::NotHandled, 0}},
        {"Ctrl+A", Key('A', true), {K::Command, kCmdSelectAll}},
        {"Ctrl+B", Key('B', true), {K::Command, kCmdToggleStatusBar}},
        {"Ctrl+C", Key('C', true), {K::Command, kCmdCopy}},
        {"Ctrl+E", Key('E', true), {K::Command, kCmdAttributes}},
        {"Ctrl+G", Key('G', true), {K::Command, kCmdShowGrid}},
        {"Ctrl+I", Key('I', true), {K::Command, kCmdInvertColors}},
        {"Ctrl+K", Key('K', true), {K::Command, kCmdDrawOpaque}},
        {"Ctrl+L", Key('L', true), {K::Command, kCmdToggleColorBox}},
        {"Ctrl+M", Key('M', true), {K::Mosaic, 0}},
        {"Ctrl+Shift+M", Key('M', true, true), {K::MosaicDialog, 0}},
        {"Ctrl+R", Key('R', true), {K::Command, kCmdFlipRotate}},
        {"Ctrl+T", Key('T', true), {K::Command, kCmdToggleToolBox}},
        {"Ctrl+V", Key('V', true), {K::Command, kCmdPaste}},
        {"Ctrl+W", Key('W', true), {K::Command, kCmdStretchSkew}},
        {"Ctrl+Shift+W", Key('W', true, true), {K::ThicknessDialog, 0}},
        {"Ctrl+X", Key('X', true), {K::Command, kCmdCut}},
        {"Ctrl+Y", Key('Y', true), {K::Command, kCmdRedo}},
        {"Ctrl+Z", Key('Z', true), {K::Command, kCmdUndo}},
        {"Ctrl+Shift+Z is still Undo", Key('Z', true, true), {K::Command, kCmdUndo}},
        {"Ctrl+Page Up", Key(vk::kPrior, true), {K::Command, kCmdZoom100}},
        {"Ctrl+Page Down", Key(vk::kNext, true), {K::Command, kCmdZoom400}},
        {"Ctrl+Enter without a path", Key(vk::kReturn, true), {K::NotHandled, 0}},
        {"Ctrl+Enter with a path",
         With(Key(vk::kReturn, true), [](KeyContext* k) { k->tool = ToolId::Path, k->pathAnchors = 2; }),
         {K::RunPathAction, 0}},
        {"Ctrl+Shift+Enter with a path",
         With(Key(vk::kReturn, true, true), [](KeyContext* k) { k->tool = ToolId::Path, k->pathAnchors = 3; }),
         {K::StrokePath, 0}},
        {"Ctrl+Q", Key('Q', true), {K::NotHandled, 0}},
        {"Ctrl+Shift+X snips", Key('X', true, true), {K::StartSnip, 0}},
        {"Win+Shift+S snips", With(Key('S', false, true), [](KeyContext* k) { k->win = true; }), {K::StartSnip, 0}},
        {"F7 snips", Key(vk::kF7), {K::StartSnip, 0}},
        {"Print Screen snips", Key(vk::kSnapshot), {K::StartSnip, 0}},
        {"Shift+C crops", Key('C', false, true), {K::Command, kCmdCropToSelection}},
        {"Shift+P", Key('P', false, true), {K::SetPathTool, 0}},
        {"Shift+[", Key(vk::kOem4, false, true), {K::Thickness, -5}},
        {"Shift+]", Key(vk::kOem6, false, true), {K::Thickness, 5}},
        {"[", Key(vk::kOem4), {K::Thickness, -1}},
        {"]", Key(vk::kOem6), {K::Thickness, 1}},
        {"Shift+R is a tool letter", Key('R', false, true), {K::ToolKey, 'R'}},
        {"R", Key('R'), {K::ToolKey, 'R'}},
        {"5", Key('5'), {K::ToolKey, '5'}},
        {"Enter with a selection",
         With(Key(vk::kReturn), [](KeyContext* k) { k->hasSelection = true; }),
         {K::Command, kCmdCropToSelection}},
        {"Enter with nothing", Key(vk::kReturn), {K::ToolKey, vk::kReturn}},
        {"Enter with a usable path",
         With(Key(vk::kReturn), [](KeyContext* k) { k->tool = ToolId::Path, k->pathAnchors = 2; }),
         {K::RunPathAction, 0}},
        {"Shift+Enter with a usable path",
         With(Key(vk::kReturn, false, true), [](KeyContext* k) { k->tool = ToolId::Path, k->pathAnchors = 2; }),
         {K::StrokePath, 0}},
        {"Enter with a one-anchor path and a selection",
         With(Key(vk::kReturn),
              [](KeyContext* k) { k->tool = ToolId::Path, k->pathAnchors = 1, k->hasSelection = true; }),
         {K::Command, kCmdCropToSelection}},
        {"Backspace with anchors",
         With(Key(vk::kBack), [](KeyContext* k) { k->tool = ToolId::Path, k->pathAnchors = 1; }),
         {K::RemovePathAnchor, 0}},
        {"Backspace otherwise", Key(vk::kBack), {K::ToolKey, vk::kBack}},
        {"Delete with anchors",
         With(Key(vk::kDelete), [](KeyContext* k) { k->tool = ToolId::Path, k->pathAnchors = 4; }),
         {K::RemovePathAnchor, 0}},
        {"Delete otherwise", Key(vk::kDelete), {K::Command, kCmdClearSelection}},
        {"Escape", Key(vk::kEscape), {K::Escape, 0}},
        {"F1", Key(vk::kF1), {K::Command, kCmdShortcuts}},
        {"F12", Key(vk::kF12), {K::Command, kCmdSaveAs}},
        {"Alt+R", With(Key('R'), [](KeyContext* k) { k->alt = true; }), {K::NotHandled, 0}},
        {"Escape cancels a snip",
         With(Key(vk::kEscape), [](KeyContext* k) { k->snipActive = true; }),
         {K::CancelSnip, 0}},
        {"other keys wait during a snip",
         With(Key('R'), [](KeyContext* k) { k->snipActive = true; }),
         {K::NotHandled, 0}},
        {"the text box's own keys",
         With(Key('R'), [](KeyContext* k) { k->textBoxOpen = k->fromTextEdit = true; }),
         {K::NotHandled, 0}},
        {"[ with a text box open elsewhere",
         With(Key(vk::kOem4), [](KeyContext* k) { k->textBoxOpen = true; }),
         {K::ToolKey, vk::kOem4}},
        {"Delete with a text box open elsewhere",
         With(Key(vk::kDelete), [](KeyContext* k) { k->textBoxOpen = true; }),
         {K::Command, kCmdClearSelection}},
        {"Shift+Enter with a text box open elsewhere",
         With(Key(vk::kReturn, false, true), [](KeyContext* k) { k->textBoxOpen = true; }),
         {K::ToolKey, vk::kReturn}},
        {"letters with a text box open elsewhere",
         With(Key('L'), [](KeyContext* k) { k->textBoxOpen = true; }),
         {K::ToolKey, 'L'}},
    };
    for (const KeyCase& c : cases) {
        const KeyAction a = DecideShortcutKey(c.k);
        EXPECT_EQ(a.kind, c.expected.kind) << c.name;
        EXPECT_EQ(a.value, c.expected.value) << c.name;
    }
}

TEST(ShortcutTable, NumericPadDigitsAndFunctionKeysAreNotLetters) {
    // Their codes are those of the lower-case letters: numpad 1 is 'a', F1 is 'p', F5 is 't'.
    for (unsigned key = vk::kNumpad0 + 1; key <= 'z'; ++key) {
        EXPECT_FALSE(IsLetterKey(key)) << key;
        EXPECT_EQ(NormalizeKeyWith(key, 'R', 'R'), key) << "no lookup for an ordinary key";
        const KeyAction plain = DecideShortcutKey(Key(key));
        if (plain.kind == K::ToolKey) {
            EXPECT_EQ(plain.value, static_cast<int>(key)) << key;
        }
        const KeyAction withCtrl = DecideShortcutKey(Key(key, true));
        const KeyAction letter = DecideShortcutKey(Key(key - 0x20, true));
        if (letter.kind != K::NotHandled) {
            EXPECT_FALSE(withCtrl.kind == letter.kind && withCtrl.value == letter.value) << "Ctrl+" << key;
        }
    }
    // Ctrl with a numeric-pad digit keeps its meaning.
    EXPECT_EQ(DecideShortcutKey(Key(vk::kNumpad0 + 2, true)).kind, K::CtrlDigit);
}

TEST(ShortcutTable, TheInputMethodKeyAndKeyZeroBecomeTheirPhysicalLetters) {
    struct Case {
        unsigned key, ime, scan, expected;
    } cases[] = {
        {vk::kProcessKey, 'R', 0, 'R'},
        {vk::kProcessKey, 0, 'R', 'R'},               // no input method: the scan code's key
        {vk::kProcessKey, vk::kProcessKey, 'T', 'T'}, // the input method gives no letter
        {vk::kProcessKey, 0, 0, vk::kProcessKey},     // nothing known
        {0, 0, 'G', 'G'},
        {'E', 'R', 'R', 'E'}, // a letter is itself
        {'7', 0, 0, '7'},
        {vk::kProcessKey, vk::kNumpad0 + 1, 0, vk::kProcessKey}, // numpad 1 is no letter here either
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalizeKeyWith(c.key, c.ime, c.scan), c.expected) << c.key << " " << c.ime << " " << c.scan;
}

TEST(ShortcutChars, JamoMapToTheLettersOfTheirKeys) {
    const std::pair<unsigned, wchar_t> keyed[] = {
        {0x3131, 'R'}, {0x3132, 'R'}, {0x3134, 'S'}, {0x3137, 'E'}, {0x3138, 'E'}, {0x3139, 'F'}, {0x3141, 'A'},
        {0x3142, 'Q'}, {0x3143, 'Q'}, {0x3145, 'T'}, {0x3146, 'T'}, {0x3147, 'D'}, {0x3148, 'W'}, {0x3149, 'W'},
        {0x314A, 'C'}, {0x314B, 'Z'}, {0x314C, 'X'}, {0x314D, 'V'}, {0x314E, 'G'}, {0x314F, 'K'}, {0x3150, 'O'},
        {0x3151, 'I'}, {0x3152, 'O'}, {0x3153, 'J'}, {0x3154, 'P'}, {0x3155, 'U'}, {0x3156, 'P'}, {0x3157, 'H'},
        {0x315B, 'Y'}, {0x315C, 'N'}, {0x3160, 'B'}, {0x3161, 'M'}, {0x3163, 'L'}};
    for (unsigned ch = 0x3130; ch <= 0x3164; ++ch) {
        wchar_t expected = 0;
        for (const auto& [jamo, letter] : keyed)
            if (jamo == ch) expected = letter;
        EXPECT_EQ(JamoKeyLetter(ch), expected) << std::hex << ch;
    }
}

TEST(ShortcutChars, CharactersChooseToolsSizesAndThicknesses) {
    struct Case {
        unsigned ch;
        CharAction expected;
    } cases[] = {
        {'r', {K::ToolKey, 'R'}},  {'R', {K::ToolKey, 'R'}},    {'8', {K::ToolKey, '8'}},     {'9', {K::NotHandled, 0}},
        {'0', {K::NotHandled, 0}}, {'[', {K::Thickness, -1}},   {']', {K::Thickness, 1}},     {'{', {K::Thickness, -5}},
        {'}', {K::Thickness, 5}},  {0x3131, {K::ToolKey, 'R'}}, {0x3133, {K::NotHandled, 0}}, {'+', {K::NotHandled, 0}},
    };
    for (const Case& c : cases) {
        uint8_t lead = 0;
        const CharAction a = DecideShortcutChar(c.ch, false, &lead);
        EXPECT_EQ(a.kind, c.expected.kind) << c.ch;
        EXPECT_EQ(a.value, c.expected.value) << c.ch;
        uint8_t lead2 = 0;
        EXPECT_EQ(DecideShortcutChar(c.ch, true, &lead2).kind, K::NotHandled) << "text box open";
    }
}

TEST(ShortcutChars, TheTwoHalvesOfACodePage949JamoMakeOneKey) {
    uint8_t lead = 0;
    EXPECT_EQ(DecideShortcutChar(0xA4, false, &lead).kind, K::Taken);
    EXPECT_EQ(lead, 0xA4);
    CharAction a = DecideShortcutChar(0xA1, false, &lead); // U+3131
    EXPECT_EQ(a.kind, K::ToolKey);
    EXPECT_EQ(a.value, 'R');
    EXPECT_EQ(lead, 0);
    (void)DecideShortcutChar(0xA4, false, &lead);
    a = DecideShortcutChar(0xD3, false, &lead); // U+3163
    EXPECT_EQ(a.value, 'L');
    (void)DecideShortcutChar(0xA4, false, &lead);
    EXPECT_EQ(DecideShortcutChar(0xA3, false, &lead).kind, K::NotHandled) << "U+3133 has no key";
    (void)DecideShortcutChar(0xA4, false, &lead);
    EXPECT_EQ(DecideShortcutChar(0xD4, false, &lead).kind, K::NotHandled) << "past the jamo";
    EXPECT_EQ(lead, 0);
    // A lead byte is forgotten by the next character, whatever it is.
    (void)DecideShortcutChar(0xA4, false, &lead);
    EXPECT_EQ(DecideShortcutChar('t', false, &lead).value, 'T');
    EXPECT_EQ(DecideShortcutChar(0xA1, false, &lead).kind, K::NotHandled);
}

} // namespace
