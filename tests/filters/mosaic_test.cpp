// The mosaic filter in the running program: the modeless dialog with its presets and custom entry, the keys and
// the tool box buttons, and the mosaic of the picture and of a selection, checked against a plain mosaic the test
// computes from the pixels as they were.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "filters/mosaic.h"
#include "filters/mosaic_dialog.h"
#include "support/app_fixture.h"
#include "tools/path_tool.h"
#include "tools/selection.h"
#include "toolbox/colors.h"
#include "toolbox/tool_actions.h"

namespace {

uint32_t Pattern(int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x * 7 % 256) << 16 | static_cast<uint32_t>(y * 5 % 256) << 8 |
           static_cast<uint32_t>((x + y) % 200);
}

void PaintPattern() {
    GdiFlush();
    for (int y = 0; y < g_canvas.height; ++y)
        for (int x = 0; x < g_canvas.width; ++x)
            WritePixel(CanvasPixels(), x, y, Pattern(x, y));
}

std::vector<uint32_t> Snapshot() {
    GdiFlush();
    return {g_canvas.pixels, g_canvas.pixels + static_cast<size_t>(g_canvas.width) * g_canvas.height};
}

// The plain mosaic of a copy of the picture: block by block from (left, top), the pixels of the block that lie in
// the picture and the mask averaged and replaced.
void PlainMosaic(std::vector<uint32_t>* pixels, int left, int top, int w, int h, const std::vector<uint8_t>& mask,
                 int n) {
    const PixelView v{pixels->data(), g_canvas.width, g_canvas.height};
    auto counts = [&](int x, int y) {
        return InPicture(v, x, y) && (mask.empty() || mask[static_cast<size_t>(y - top) * w + (x - left)] == 1);
    };
    for (int by = top; by < top + h; by += n)
        for (int bx = left; bx < left + w; bx += n) {
            uint64_t r = 0, g = 0, b = 0, k = 0;
            for (int y = by; y < std::min(by + n, top + h); ++y)
                for (int x = bx; x < std::min(bx + n, left + w); ++x)
                    if (counts(x, y)) {
                        const uint32_t p = ReadPixel(v, x, y);
                        r += p >> 16 & 0xFF, g += p >> 8 & 0xFF, b += p & 0xFF, ++k;
                    }
            for (int y = by; y < std::min(by + n, top + h); ++y)
                for (int x = bx; x < std::min(bx + n, left + w); ++x)
                    if (counts(x, y))
                        WritePixel(v, x, y,
                                   0xFF000000u | static_cast<uint32_t>(r / k) << 16 |
                                       static_cast<uint32_t>(g / k) << 8 | static_cast<uint32_t>(b / k));
        }
}

int Differences(const std::vector<uint32_t>& expected) {
    const std::vector<uint32_t> now = Snapshot();
    int d = 0;
    for (size_t i = 0; i < now.size(); ++i)
        d += now[i] != expected[i];
    return d;
}

BOOL CALLBACK CollectMosaicDialog(HWND w, LPARAM out) {
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (std::wstring(cls) == kMosaicClass && IsWindowVisible(w))
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(w);
    return TRUE;
}

std::vector<HWND> MosaicDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectMosaicDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Command 408; the dialog it opened, or null.
HWND OpenDialog() {
    const std::vector<HWND> before = MosaicDialogs();
    Post(g_app.main, WM_COMMAND, 408);
    for (HWND d : MosaicDialogs())
        if (std::find(before.begin(), before.end(), d) == before.end()) return d;
    return nullptr;
}

std::wstring ControlText(HWND control) {
    wchar_t text[64] = {};
    GetWindowTextW(control, text, 64);
    return text;
}

void Press(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    PumpMessages();
}

enum Mods { kNone = 0, kCtrl = 1, kShift = 2 };

void Key(HWND to, UINT vk, int mods = kNone) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = (mods & kCtrl) ? 0x80 : 0;
    state[VK_SHIFT] = state[VK_LSHIFT] = (mods & kShift) ? 0x80 : 0;
    SetKeyboardState(state);
    Post(to, WM_KEYDOWN, vk, 1 | static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
    state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_SHIFT] = state[VK_LSHIFT] = 0;
    SetKeyboardState(state);
}

size_t Depth() { return g_undo.undo.size(); }

class Mosaic : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        EnlargeMainWindow();
        PaintPattern();
    }
    void TearDown() override {
        for (HWND d : MosaicDialogs())
            DestroyWindow(d);
        AppFixture::TearDown();
    }
};

TEST_F(Mosaic, TheDialogShowsItsControlsAndOpensOnThePresetOrCustomSize) {
    HWND d = OpenDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(ControlText(d), L"Mosaic");
    RECT wr;
    GetWindowRect(d, &wr);
    EXPECT_EQ(wr.right - wr.left, 290);
    EXPECT_EQ(wr.bottom - wr.top, 215);
    const struct {
        int id;
        const wchar_t* text;
        RECT at; // client position and size
    } controls[] = {
        {101, L"4 px  (Fine)", {22, 32, 155, 20}},
        {102, L"8 px  (Medium)", {22, 57, 155, 20}},
        {103, L"12 px (Normal)", {22, 82, 155, 20}},
        {104, L"16 px (Large)", {22, 107, 155, 20}},
        {105, L"Custom:", {22, 134, 75, 20}},
        {106, L"24", {100, 134, 45, 22}},
        {IDOK, L"OK", {198, 18, 70, 23}},
        {IDCANCEL, L"Cancel", {198, 47, 70, 23}},
    };
    for (const auto& c : controls) {
        HWND control = GetDlgItem(d, c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(ControlText(control), c.text);
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, c.at.left) << c.id;
        EXPECT_EQ(r.top, c.at.top) << c.id;
        EXPECT_EQ(r.right - r.left, c.at.right) << c.id;
        EXPECT_EQ(r.bottom - r.top, c.at.bottom) << c.id;
    }
    EXPECT_EQ(ControlText(FindWindowExW(d, nullptr, L"Button", L"Block Size")), L"Block Size");
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(d, 106), GWL_STYLE) & ES_NUMBER);
    DestroyWindow(d);

    const struct {
        int size, checked;
        const wchar_t* edit;
    } openings[] = {{4, 101, L"24"},  {8, 102, L"24"},  {12, 103, L"24"}, {16, 104, L"24"},
                    {24, 105, L"24"}, {30, 105, L"30"}, {2, 105, L"2"},   {64, 105, L"64"}};
    for (const auto& o : openings) {
        g_tools.mosaicBlockSize = o.size;
        d = OpenDialog();
        ASSERT_NE(d, nullptr);
        for (int id = 101; id <= 105; ++id)
            EXPECT_EQ(IsDlgButtonChecked(d, id), id == o.checked ? BST_CHECKED : BST_UNCHECKED) << o.size;
        EXPECT_EQ(ControlText(GetDlgItem(d, 106)), o.edit);
        DestroyWindow(d);
    }
}

TEST_F(Mosaic, OkAppliesThePresetOrACustomSizeIn2To64AndOtherwiseEight) {
    const struct {
        const wchar_t* typed;
        int size;
    } cases[] = {{L"24", 24}, {L"64", 64}, {L"65", 8}, {L"1", 8}, {L"4294967298", 8}, {L"", 8}, {L"12abc", 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << std::string(c.typed, c.typed + wcslen(c.typed)) << "'");
        PaintPattern();
        std::vector<uint32_t> expected = Snapshot();
        PlainMosaic(&expected, 0, 0, 640, 480, {}, c.size);
        g_tools.mosaicBlockSize = 8;
        HWND d = OpenDialog();
        ASSERT_NE(d, nullptr);
        Press(d, kMosaicCustomId);
        SetDlgItemTextW(d, kMosaicEditId, c.typed);
        Press(d, IDOK);
        EXPECT_FALSE(IsWindow(d));
        EXPECT_EQ(g_tools.mosaicBlockSize, c.size);
        EXPECT_EQ(GetStatusText(kStatusMessage),
                  L"Canvas mosaic applied (" + std::to_wstring(c.size) + L" px block size).");
        EXPECT_EQ(Differences(expected), 0);
    }
    // After a custom 24 the next opening shows it; a preset chosen with OK is applied as it is.
    g_tools.mosaicBlockSize = 24;
    HWND d = OpenDialog();
    EXPECT_EQ(IsDlgButtonChecked(d, kMosaicCustomId), BST_CHECKED);
    EXPECT_EQ(ControlText(GetDlgItem(d, kMosaicEditId)), L"24");
    Press(d, kMosaicFirstPresetId + 3);
    Press(d, IDOK);
    EXPECT_EQ(g_tools.mosaicBlockSize, 16);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Canvas mosaic applied (16 px block size).");
}

TEST_F(Mosaic, CancelAndTheCloseBoxChangeNothing) {
    const std::vector<uint32_t> before = Snapshot();
    const size_t depth = Depth();
    for (bool closeBox : {false, true}) {
        HWND d = OpenDialog();
        ASSERT_NE(d, nullptr);
        Press(d, kMosaicCustomId);
        SetDlgItemTextW(d, kMosaicEditId, L"30");
        if (closeBox)
            SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            Press(d, IDCANCEL);
        PumpMessages();
        EXPECT_FALSE(IsWindow(d));
        EXPECT_EQ(g_tools.mosaicBlockSize, 8);
        EXPECT_EQ(Depth(), depth);
        EXPECT_EQ(Differences(before), 0);
        EXPECT_TRUE(IsWindowEnabled(g_app.main));
        EXPECT_EQ(GetActiveWindow(), g_app.main) << "activation goes back to the owner";
    }
}

TEST_F(Mosaic, KeysTypedIntoTheEditOfEitherOfTwoDialogsStayText) {
    SetTool(ToolId::Path);
    CanvasPress(1, 100, 100);
    CanvasRelease(1, 100, 100);
    CanvasPress(1, 200, 100);
    CanvasRelease(1, 200, 100);
    const ToolOptions options = g_tools;
    HWND first = OpenDialog();
    HWND second = OpenDialog();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    for (HWND d : {first, second}) {
        HWND edit = GetDlgItem(d, kMosaicEditId);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        // Through the program's loop, as typed: Backspace, then digits and a tool letter.
        for (UINT vk : {UINT(VK_BACK), UINT('3'), UINT('5'), UINT('L')})
            Post(edit, WM_KEYDOWN, vk, 1 | static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
        EXPECT_EQ(ControlText(edit), L"35") << "numbers only";
    }
    EXPECT_EQ(g_tools.currentTool, ToolId::Path);
    EXPECT_EQ(g_tools.lineWidth, options.lineWidth);
    EXPECT_EQ(g_tools.mosaicBlockSize, options.mosaicBlockSize);
    EXPECT_EQ(PathAnchorCount(), 2) << "Backspace in the edit is no anchor removal";
}

TEST_F(Mosaic, ASelectionMosaicKeepsTheSelectionWhereItIsAndUndoBringsThePixelsBack) {
    SetTool(ToolId::FreeFormSelect);
    // A lasso that was never moved: only its inside is averaged and changed.
    CanvasPress(1, 100, 100);
    for (POINT p : {POINT{220, 110}, POINT{230, 220}, POINT{110, 200}})
        CanvasMove(p.x, p.y, MK_LBUTTON);
    CanvasRelease(1, 110, 200);
    ASSERT_TRUE(HasSelection());
    const SelectionRect at{g_selection.left, g_selection.top, g_selection.right, g_selection.bottom};
    const std::vector<uint32_t> original = Snapshot();
    std::vector<uint32_t> expected = original;
    PlainMosaic(&expected, at.left, at.top, g_selection.width, g_selection.height, g_selection.mask, 8);
    const size_t depth = Depth();
    Key(g_app.canvas, 'M', kCtrl);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Selection mosaic applied (8 px block size).");
    EXPECT_EQ(Differences(expected), 0);
    EXPECT_EQ(Depth(), depth + 1);
    ASSERT_TRUE(HasSelection());
    EXPECT_FALSE(g_selection.lifted);
    EXPECT_EQ(g_selection.left, at.left);
    EXPECT_EQ(g_selection.bottom, at.bottom);
    // Moved afterwards, it carries the mosaicked pixels.
    CanvasPress(1, 160, 160);
    CanvasMove(460, 210, MK_LBUTTON);
    CanvasRelease(1, 460, 210);
    ASSERT_TRUE(g_selection.lifted);
    const PixelView image{g_selection.image.pixels, g_selection.width, g_selection.height};
    const PixelView mosaicked{expected.data(), 640, 480};
    EXPECT_EQ(ReadPixel(image, 160 - at.left, 160 - at.top), ReadPixel(mosaicked, 160, 160));
    Post(g_app.main, WM_COMMAND, 201); // the move's lift
    Post(g_app.main, WM_COMMAND, 201); // the mosaic
    EXPECT_EQ(Differences(original), 0);
}

TEST_F(Mosaic, ALiftedSelectionIsMosaickedWhereItFloatsAndOneUndoShowsItUnmosaickedThere) {
    g_colors.background = RGB(0, 0, 255);
    GdiFlush();
    WritePixel(CanvasPixels(), 105, 105, 0xFF0000FFu); // Color 2 inside the selection: transparent below
    SetTool(ToolId::Select);
    CanvasPress(1, 100, 100);
    CanvasMove(164, 148, MK_LBUTTON);
    CanvasRelease(1, 164, 148);
    CanvasPress(1, 120, 120);
    CanvasMove(320, 220, MK_LBUTTON);
    CanvasRelease(1, 320, 220); // now floating at (300, 200)
    ASSERT_TRUE(g_selection.lifted);
    g_tools.selectionTransparent = true;
    const std::vector<uint32_t> floated = Snapshot();
    const PixelView image{g_selection.image.pixels, g_selection.width, g_selection.height};
    const uint32_t block = ReadPixel(image, 0, 0);
    Key(g_app.canvas, '3', kCtrl);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Selection mosaic applied (8 px block size).");
    EXPECT_EQ(Differences(floated), 0) << "the picture under it is left alone";
    EXPECT_EQ(g_selection.left, 300);
    EXPECT_EQ(g_selection.top, 200);
    EXPECT_EQ(ReadPixel(image, 5, 5) & 0xFFFFFF, 0x0000FFu) << "a transparent pixel is neither counted nor changed";
    uint64_t red = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            red += (x == 5 && y == 5) ? 0 : Pattern(100 + x, 100 + y) >> 16 & 0xFF;
    EXPECT_EQ(ReadPixel(image, 0, 0) >> 16 & 0xFF, red / 63);
    EXPECT_NE(ReadPixel(image, 0, 0), block);
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(PictureAt(300, 200), Pattern(100, 100)) << "its content, unmosaicked, where it floated";
    EXPECT_EQ(PictureAt(363, 247), Pattern(163, 147));
    EXPECT_EQ(PictureRgb(150, 120), 0x0000FFu) << "the lift's hole";
}

TEST_F(Mosaic, KeysAndButtonsApplyTheMosaicByToolAndState) {
    const std::vector<uint32_t> original = Snapshot();
    std::vector<uint32_t> expected = original;
    PlainMosaic(&expected, 0, 0, 640, 480, {}, 8);
    SetTool(ToolId::Fill);
    const size_t depth = Depth();
    Key(g_app.canvas, '3', kCtrl);
    EXPECT_EQ(Depth(), depth) << "Ctrl+3 means nothing to the fill";
    SetTool(ToolId::Select);
    Key(g_app.canvas, '3', kCtrl);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Canvas mosaic applied (8 px block size).");
    EXPECT_EQ(Differences(expected), 0);
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
    // Without a selection or a path Ctrl+M asks; Ctrl+Shift+M always asks.
    Key(g_app.canvas, 'M', kCtrl);
    EXPECT_EQ(MosaicDialogs().size(), 1u);
    CreateSelection(10, 10, 50, 50);
    Key(g_app.canvas, 'M', kCtrl | kShift);
    EXPECT_EQ(MosaicDialogs().size(), 2u);
    EXPECT_EQ(Depth(), depth + 1);
    // The tool box's Mosaic button of fuzzy select, and sizes from any caller clamped to 2..64.
    SetTool(ToolId::FuzzySelect);
    Post(g_app.toolBox, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(28, 385));
    Post(g_app.toolBox, WM_LBUTTONUP, 0, MAKELPARAM(28, 385));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Canvas mosaic applied (8 px block size).");
    EXPECT_EQ(Depth(), depth + 2);
    ApplyMosaic(65);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Canvas mosaic applied (64 px block size).");
    ApplyMosaic(1);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Canvas mosaic applied (2 px block size).");
    EXPECT_EQ(g_tools.mosaicBlockSize, 8) << "the option is left alone";
    Post(g_app.main, WM_COMMAND, 201);
    Post(g_app.main, WM_COMMAND, 201);
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(Differences(expected), 0) << "one level each";
}

} // namespace
