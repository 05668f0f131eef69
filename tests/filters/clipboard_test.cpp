// Cut, Copy and Paste against a second program on the clipboard (kolvex_clipboard_helper), and the program's own
// paths a second program cannot reach (its conversion, the bitmap format, a refused surface) in-process.
#include <windows.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "filters/clipboard.h"
#include "filters/clipboard_cases.h"
#include "filters/clipboard_helper_process.h"
#include "support/app_fixture.h"
#include "tools/selection.h"
#include "toolbox/colors.h"
#include "toolbox/tool_actions.h"

namespace {

constexpr wchar_t kDamagedText[] = L"The picture on the Clipboard is damaged and cannot be pasted.";

void EmptyTheClipboard() {
    ASSERT_TRUE(OpenClipboardPatiently());
    EmptyClipboard();
    CloseClipboard();
}

// The clipboard shows what another process put there only once this process sees a picture format.
bool ClipboardHasPicture() {
    return PumpUntil([] { return IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP); },
                     std::chrono::milliseconds(3000));
}

class Clipboard : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        EnlargeMainWindow();
        g_colors.background = RGB(0, 0, 255);
        FreshWhitePicture();
    }
    void TearDown() override {
        g_createDibSection = &CreateDIBSection;
        AppFixture::TearDown();
    }
};

// The floating image's pixels, top row first, without alpha.
std::vector<uint32_t> FloatingRgb() {
    std::vector<uint32_t> out;
    const PixelView v{g_selection.image.pixels, g_selection.width, g_selection.height};
    GdiFlush();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x)
            out.push_back(ReadPixel(v, x, y) & 0xFFFFFFu);
    return out;
}

bool FloatingIsOpaque() {
    GdiFlush();
    for (int i = 0; i < g_selection.width * g_selection.height; ++i)
        if ((g_selection.image.pixels[i] >> 24) != 0xFF) return false;
    return true;
}

TEST_F(Clipboard, EachSoundPictureFromAnotherProgramPastesExactlyAndOpaque) {
    for (const clipcases::Case& c : clipcases::SoundCases()) {
        SCOPED_TRACE(c.name);
        DropSelection(false);
        EmptyTheClipboard();
        ClipboardHelper helper(L"put " + std::wstring(c.name.begin(), c.name.end()));
        ASSERT_TRUE(helper.Started());
        ASSERT_TRUE(ClipboardHasPicture());
        const size_t depth = g_undo.undo.size();
        Post(g_app.main, WM_COMMAND, 205);
        ASSERT_TRUE(HasSelection());
        EXPECT_TRUE(g_selection.lifted);
        EXPECT_EQ(g_selection.left, 0);
        EXPECT_EQ(g_selection.top, 0);
        ASSERT_EQ(g_selection.width, c.width);
        ASSERT_EQ(g_selection.height, c.height);
        EXPECT_EQ(FloatingRgb(), c.rgb);
        EXPECT_TRUE(FloatingIsOpaque());
        EXPECT_EQ(g_undo.undo.size(), depth + 1);
        EXPECT_EQ(g_tools.currentTool, ToolId::Select);
        EXPECT_FALSE(g_tools.selectionTransparent);
    }
}

TEST_F(Clipboard, ADamagedPictureIsRefusedAndNothingChanges) {
    for (const clipcases::Case& c : clipcases::DamagedCases()) {
        SCOPED_TRACE(c.name);
        EmptyTheClipboard();
        ClipboardHelper helper(L"put " + std::wstring(c.name.begin(), c.name.end()));
        ASSERT_TRUE(helper.Started());
        ASSERT_TRUE(PumpUntil([] { return IsClipboardFormatAvailable(CF_DIB) != 0; }));
        const size_t depth = g_undo.undo.size();
        SetStatusText(kStatusMessage, L"");
        Post(g_app.main, WM_COMMAND, 205);
        EXPECT_FALSE(HasSelection());
        EXPECT_EQ(g_undo.undo.size(), depth);
        EXPECT_EQ(GetStatusText(kStatusMessage), kDamagedText);
        EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0);
        EXPECT_EQ(g_canvas.width, 640);
    }
    EmptyTheClipboard();
    ClipboardHelper huge(L"put toolarge");
    ASSERT_TRUE(huge.Started());
    ASSERT_TRUE(ClipboardHasPicture());
    Post(g_app.main, WM_COMMAND, 205);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(GetStatusText(kStatusMessage), L"A picture of 32768 x 1 pixels is too large.");
}

TEST_F(Clipboard, ALargerPictureGrowsThePictureAndASmallerOneLeavesItsSize) {
    {
        EmptyTheClipboard();
        ClipboardHelper helper(L"put p800x600");
        ASSERT_TRUE(helper.Started());
        ASSERT_TRUE(ClipboardHasPicture());
        Post(g_app.main, WM_COMMAND, 205);
    }
    EXPECT_EQ(g_canvas.width, 800);
    EXPECT_EQ(g_canvas.height, 600);
    EXPECT_EQ(PictureRgb(700, 100), 0x0000FFu) << "the new strips are Color 2";
    EXPECT_EQ(PictureRgb(100, 550), 0x0000FFu);
    EXPECT_EQ(PictureRgb(100, 100), 0xFFFFFFu) << "the old picture under the floating image";
    ASSERT_EQ(g_selection.width, 800);
    EXPECT_EQ(ReadPixel({g_selection.image.pixels, 800, 600}, 799, 599) & 0xFFFFFF, clipcases::PatternRgb(799, 599));
    // Undo of a floating paste: the picture before it, no selection; Redo gives it stamped.
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(g_canvas.width, 640);
    Post(g_app.main, WM_COMMAND, 202);
    EXPECT_EQ(g_canvas.width, 800);
    EXPECT_EQ(PictureRgb(799, 599), clipcases::PatternRgb(799, 599));
    {
        EmptyTheClipboard();
        ClipboardHelper helper(L"put p100x100");
        ASSERT_TRUE(helper.Started());
        ASSERT_TRUE(ClipboardHasPicture());
        FreshWhitePicture();
        Post(g_app.main, WM_COMMAND, 205);
    }
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(g_selection.width, 100);
}

// The expected CF_DIB of a w x h area whose pixels come from at(x, y) (area coordinates, top row first).
template <class At> std::vector<uint8_t> ExpectedDib(int w, int h, At at) {
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> b(40 + stride * h, 0);
    clipcases::Put32(b, 0, 40);
    clipcases::Put32(b, 4, static_cast<uint32_t>(w));
    clipcases::Put32(b, 8, static_cast<uint32_t>(h));
    b[12] = 1;
    b[14] = 24;
    clipcases::Put32(b, 20, static_cast<uint32_t>(stride * h));
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) {
            const uint32_t v = at(x, h - 1 - r);
            uint8_t* p = b.data() + 40 + stride * r + 3 * x;
            p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16);
        }
    return b;
}

// What a second program reads from the clipboard: the CF_DIB block and the CF_BITMAP pixels.
struct Dumped {
    std::vector<uint8_t> dib;
    int width = 0, height = 0;
    std::vector<uint32_t> bitmap; // top row first
};

Dumped DumpFromAnotherProgram() {
    const std::wstring folder = MakeTestFolder(L"kolvex_clipdump_");
    const std::wstring file = folder + L"\\dump.bin";
    Dumped d;
    {
        ClipboardHelper helper(L"dump \"" + file + L"\"");
        EXPECT_EQ(helper.Wait(), 0u);
    }
    std::vector<uint8_t> all;
    if (FILE* f = _wfopen(file.c_str(), L"rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            all.insert(all.end(), buf, buf + n);
        fclose(f);
    }
    RemoveTestFolder(folder);
    if (all.size() < 4) return d;
    uint32_t size;
    std::memcpy(&size, all.data(), 4);
    d.dib.assign(all.begin() + 4, all.begin() + 4 + size);
    size_t at = 4 + size;
    if (all.size() >= at + 8) {
        std::memcpy(&d.width, all.data() + at, 4);
        std::memcpy(&d.height, all.data() + at + 4, 4);
        d.bitmap.resize(static_cast<size_t>(d.width) * d.height);
        std::memcpy(d.bitmap.data(), all.data() + at + 8, d.bitmap.size() * 4);
    }
    return d;
}

uint32_t Cell(int x, int y) { return clipcases::PatternRgb(x, y) | 0xFF000000u; }

void PaintCells() {
    GdiFlush();
    for (int y = 0; y < g_canvas.height; ++y)
        for (int x = 0; x < g_canvas.width; ++x)
            WritePixel(CanvasPixels(), x, y, Cell(x, y));
}

TEST_F(Clipboard, CopysBlockIsTheAreaByteForByteAsAnotherProgramReadsIt) {
    PaintCells();
    struct Case {
        const char* what;
        void (*select)();
        int left, top, w, h;
        int sourceLeft, sourceTop; // where the copied pixels come from
    } cases[] = {
        {"no selection", [] {}, 0, 0, 640, 480, 0, 0},
        {"a selection never moved", [] { CanvasDrag(1, 10, 20, 15, 23); }, 10, 20, 5, 3, 10, 20},
        {"a moved selection", [] { CanvasDrag(1, 10, 20, 40, 43), CanvasDrag(1, 25, 31, 125, 231); }, 110, 220, 30, 23,
         10, 20},
        {"a moved one hanging over the edges",
         [] { CanvasDrag(1, 600, 450, 640, 480), CanvasDrag(1, 620, 465, 650, 470); }, 630, 455, 40, 30, 600, 450},
        {"a free-form one: its whole box",
         [] {
             SetTool(ToolId::FreeFormSelect);
             CanvasPress(1, 100, 100);
             CanvasMove(160, 100, MK_LBUTTON);
             CanvasMove(100, 160, MK_LBUTTON);
             CanvasRelease(1, 100, 160);
         },
         100, 100, 61, 61, 100, 100},
        {"one never moved hanging over the edges", [] { CanvasDrag(1, 630, 470, 660, 490); }, 630, 470, 30, 20, 630,
         470},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DropSelection(false);
        PaintCells();
        SetTool(ToolId::Select);
        c.select();
        EmptyTheClipboard();
        Post(g_app.main, WM_COMMAND, 204);
        const Dumped d = DumpFromAnotherProgram();
        const bool lifted = g_selection.lifted;
        auto at = [&](int x, int y) -> uint32_t {
            // A lifted selection gives its image; the picture gives black off its edges.
            const int px = (lifted ? c.sourceLeft : c.left) + x, py = (lifted ? c.sourceTop : c.top) + y;
            return px < 640 && py < 480 ? clipcases::PatternRgb(px, py) : 0;
        };
        EXPECT_EQ(d.dib, ExpectedDib(c.w, c.h, at));
        ASSERT_EQ(d.width, c.w);
        ASSERT_EQ(d.height, c.h);
        EXPECT_EQ(d.bitmap[0] & 0xFFFFFF, at(0, 0));
        EXPECT_EQ(d.bitmap.back() & 0xFFFFFF, at(c.w - 1, c.h - 1));
    }
}

TEST_F(Clipboard, AHeldClipboardChangesNothing) {
    PaintCells();
    CanvasDrag(1, 10, 10, 30, 30);
    ClipboardHelper holder(L"hold");
    ASSERT_TRUE(holder.Started());
    const size_t depth = g_undo.undo.size();
    for (int id : {204, 203, 205}) {
        SCOPED_TRACE(id);
        SetStatusText(kStatusMessage, L"");
        Post(g_app.main, WM_COMMAND, id);
        EXPECT_EQ(GetStatusText(kStatusMessage), L"Could not open the clipboard.");
        EXPECT_EQ(g_undo.undo.size(), depth);
        EXPECT_EQ(PictureAt(15, 15), Cell(15, 15)) << "Cut cut nothing";
    }
}

TEST_F(Clipboard, CutOfAFreeFormClearsOnlyItsOutlineAndWithoutASelectionNothing) {
    PaintCells();
    Post(g_app.main, WM_COMMAND, 203);
    EXPECT_EQ(PictureAt(100, 100), Cell(100, 100)) << "Cut without a selection only copies";
    SetTool(ToolId::FreeFormSelect);
    CanvasPress(1, 100, 100);
    CanvasMove(160, 100, MK_LBUTTON);
    CanvasMove(100, 160, MK_LBUTTON);
    CanvasRelease(1, 100, 160);
    const size_t depth = g_undo.undo.size();
    Post(g_app.main, WM_COMMAND, 203);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(g_undo.undo.size(), depth + 1);
    EXPECT_EQ(PictureRgb(110, 110), 0x0000FFu);
    EXPECT_EQ(PictureAt(155, 155), Cell(155, 155)) << "outside the outline";
}

void PutOwnDib(const std::vector<uint8_t>& block) {
    ASSERT_TRUE(OpenClipboardPatiently());
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, block.size());
    std::memcpy(GlobalLock(h), block.data(), block.size());
    GlobalUnlock(h);
    SetClipboardData(CF_DIB, h);
    CloseClipboard();
}

int g_refusals = 0; // how many more DIB sections the system refuses
HBITMAP WINAPI RefuseSome(HDC dc, const BITMAPINFO* bi, UINT usage, void** bits, HANDLE section, DWORD offset) {
    if (g_refusals > 0) {
        --g_refusals;
        return nullptr;
    }
    return CreateDIBSection(dc, bi, usage, bits, section, offset);
}

TEST_F(Clipboard, TheProgramsOwnConversionAndARefusedSurface) {
    clipcases::Case c;
    ASSERT_TRUE(clipcases::FindCase("topdown24", &c));
    PutOwnDib(c.block);
    g_createDibSection = &RefuseSome;
    g_refusals = 1; // the system's conversion cannot have its section: the program converts by hand
    Post(g_app.main, WM_COMMAND, 205);
    ASSERT_TRUE(HasSelection());
    EXPECT_EQ(FloatingRgb(), c.rgb);
    DropSelection(false);
    // Without any surface: the message, and no level.
    const size_t depth = g_undo.undo.size();
    g_refusals = 1000;
    AnswerNextMessageBox(IDOK);
    Post(g_app.main, WM_COMMAND, 205);
    std::wstring box;
    EXPECT_TRUE(MessageBoxWasAnswered(&box));
    EXPECT_EQ(box, L"Kolvex|Not enough memory to paste this image.");
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(g_undo.undo.size(), depth);
}

TEST_F(Clipboard, TheBitmapFormatIsReadAsItsPixels) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 2);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 3;
    bi.bmiHeader.biHeight = -2;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    SetDIBits(screen, bitmap, 0, 2, clipcases::Six().data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    ASSERT_TRUE(ReadBitmapPixels(bitmap, &px, &w, &h));
    DeleteObject(bitmap);
    ASSERT_EQ(w, 3);
    ASSERT_EQ(h, 2);
    // Bottom-up and opaque: the bottom row first.
    EXPECT_EQ(px[0], 0xFF000000u | clipcases::Six()[3]);
    EXPECT_EQ(px[5], 0xFF000000u | clipcases::Six()[2]);
}

} // namespace
