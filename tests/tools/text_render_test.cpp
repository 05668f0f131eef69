// Text boxes committed through the program's routing and written out with what an independent renderer needs to
// draw the same: run by tests/e2e/text_render_test.sh, which names the folder in KOLVEX_TEXT_CASES, runs
// text_reference on each case and compares the two pictures with ImageMagick.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/text_convert.h"
#include "document/canvas_image.h"
#include "files/image_save.h"
#include "tools/text_fixture.h"

namespace {

struct RenderCase {
    const char* name;
    const wchar_t* face;
    int sizeEntry; // in the size box's list: 4 "12", 8 "20", 12 "28", 13 "36"
    int points;
    bool bold, italic, underline, opaque;
    int zoomCommand; // 305 100 %, 306 200 %, 315 50 %
    double zoom;
    POINT from, to; // the drag, canvas client points
    const wchar_t* text;
    bool korean; // typed through the input method's key, as a Korean keyboard sends it
};

const RenderCase kCases[] = {
    {"latin_wrap",
     kLatinFace,
     12,
     28,
     false,
     false,
     false,
     false,
     305,
     1,
     {60, 40},
     {330, 200},
     L"The quick brown fox jumps over the lazy dog",
     false},
    {"bold_italic_underline",
     kLatinFace,
     8,
     20,
     true,
     true,
     true,
     false,
     305,
     1,
     {40, 250},
     {420, 330},
     L"Bold, italic and underlined",
     false},
    {"opaque",
     kLatinFace,
     12,
     28,
     false,
     false,
     false,
     true,
     305,
     1,
     {350, 60},
     {620, 220},
     L"Opaque on Color 2",
     false},
    {"zoom_2",
     kLatinFace,
     4,
     12,
     false,
     false,
     false,
     true,
     306,
     2,
     {100, 120},
     {500, 300},
     L"Typed at 200 %, wrapped where the box wraps it",
     false},
    {"zoom_half",
     kLatinFace,
     13,
     36,
     false,
     true,
     false,
     false,
     315,
     0.5,
     {20, 20},
     {300, 200},
     L"Half size on the screen",
     false},
    {"hangul",
     kHangulFace,
     12,
     28,
     false,
     false,
     false,
     false,
     305,
     1,
     {80, 360},
     {400, 460},
     L"\xD55C\xAE00\x3131",
     true},
};

// A picture where every pixel differs from its neighbours' colours, so every blended glyph edge shows.
void PaintGradient() {
    const PixelView v = CanvasPixels();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x)
            WritePixel(v, x, y, 0xFF000000u | (x * 255 / v.width) << 16 | (y * 255 / v.height) << 8 | 0x80u);
}

void SetStyleButton(int id, bool on) {
    if ((SendMessageW(ToolbarControl(id), BM_GETCHECK, 0, 0) == BST_CHECKED) != on) ClickStyleButton(id);
}

void ChooseSizeEntry(int index) {
    HWND box = ToolbarControl(kSizeBoxId);
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Post(FontToolbarWindow(), WM_COMMAND, MAKEWPARAM(kSizeBoxId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

void TypeKorean(const std::wstring& text) {
    Post(TextEditWindow(), WM_KEYDOWN, 0xE5, 0x00130001); // the input method's key on the physical R
    for (wchar_t c : text)
        Post(TextEditWindow(), WM_CHAR, c, 0x00130001);
}

// The commit's rectangle as the test works it out: the edit's formatting rectangle scaled back by the real zoom,
// inside an inset of 3 screen pixels.
RECT ExpectedTarget(const TextRect& box, double zoom, const RECT& format) {
    const int inset = zoom >= 1 ? 3 / static_cast<int>(zoom) : static_cast<int>(3 / zoom);
    const int x1 = box.left + inset + static_cast<int>(std::max(0L, format.left) / zoom);
    const int y1 = box.top + inset + static_cast<int>(std::max(0L, format.top) / zoom);
    const int x2 =
        format.right > format.left ? x1 + static_cast<int>((format.right - format.left) / zoom) : box.right - inset;
    return {std::min(x1, box.right), std::min(y1, box.bottom), std::min(x2, box.right), box.bottom - inset};
}

std::wstring Hex(COLORREF c) {
    wchar_t text[8];
    swprintf(text, 8, L"%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

std::wstring RectArg(int l, int t, int r, int b) {
    return std::to_wstring(l) + L"," + std::to_wstring(t) + L"," + std::to_wstring(r) + L"," + std::to_wstring(b);
}

bool WriteUtf8(const std::wstring& path, const std::wstring& text) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const std::string bytes = WideToUtf8(text);
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

using DISABLED_TextRendering = TextFixture;

TEST_F(DISABLED_TextRendering, CommitsWrittenForTheReferenceRenderer) {
    const wchar_t* folder = _wgetenv(L"KOLVEX_TEXT_CASES");
    ASSERT_NE(folder, nullptr) << "KOLVEX_TEXT_CASES must name the folder of the cases";
    for (const RenderCase& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(FaceInstalled(c.face)) << "not installed, the system would draw another face";
        const std::wstring base = std::wstring(folder) + L"\\" + std::wstring(c.name, c.name + strlen(c.name));
        FreshWhitePicture();
        PaintGradient();
        g_colors.foreground = RGB(20, 40, 200);
        g_colors.background = RGB(250, 240, 120);
        Post(g_app.main, WM_COMMAND, c.zoomCommand);
        ASSERT_EQ(g_view.zoom, c.zoom);
        ASSERT_TRUE(ChooseFace(c.face));
        ChooseSizeEntry(c.sizeEntry);
        ASSERT_EQ(g_textStyle.pointSize, c.points);
        SetStyleButton(kBoldButtonId, c.bold);
        SetStyleButton(kItalicButtonId, c.italic);
        SetStyleButton(kUnderlineButtonId, c.underline);
        PressKeyTo(g_app.main, c.opaque ? '1' : '2', true);
        ASSERT_EQ(g_tools.textTransparent, !c.opaque);
        ASSERT_EQ(WriteBmpFile(base + L"-start.bmp"), SaveResult::Saved);

        DragTextBox(c.from.x, c.from.y, c.to.x, c.to.y);
        ASSERT_TRUE(IsTextEditingActive());
        if (c.korean)
            TypeKorean(c.text);
        else
            TypeIntoEdit(c.text);
        ASSERT_EQ(g_tools.currentTool, ToolId::Text);
        const std::wstring typed = EditTextNow();
        ASSERT_EQ(typed, c.text);
        RECT format{};
        SendMessageW(TextEditWindow(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        const TextRect box = g_textBox.rect;
        const RECT target = ExpectedTarget(box, g_view.zoom, format);
        const size_t levels = g_undo.undo.size();
        ChooseTool(ToolId::Pencil);
        ASSERT_EQ(g_undo.undo.size(), levels + 1);
        ASSERT_EQ(WriteBmpFile(base + L"-kolvex.bmp"), SaveResult::Saved);
        ChooseTool(ToolId::Text);

        ASSERT_TRUE(WriteUtf8(base + L".txt", typed));
        std::vector<std::wstring> args = {
            L"--picture",    base + L"-start.bmp",
            L"--out",        base + L"-ref.bmp",
            L"--face",       c.face,
            L"--size",       std::to_wstring(c.points),
            L"--color",      Hex(g_colors.foreground),
            L"--background", Hex(g_colors.background),
            L"--mode",       c.opaque ? L"opaque" : L"transparent",
            L"--box",        RectArg(box.left, box.top, box.right, box.bottom),
            L"--target",     RectArg(target.left, target.top, target.right, target.bottom),
            L"--text-file",  base + L".txt"};
        for (auto [on, flag] : {std::pair{c.bold, L"--bold"}, {c.italic, L"--italic"}, {c.underline, L"--underline"}})
            if (on) args.push_back(flag);
        std::wstring lines;
        for (const std::wstring& a : args)
            lines += a + L"\n";
        ASSERT_TRUE(WriteUtf8(base + L".args", lines));
        Post(g_app.main, WM_COMMAND, 305);
    }
}

} // namespace
