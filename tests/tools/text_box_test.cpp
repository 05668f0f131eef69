// The text box on the real canvas: where its edit sits, moving and resizing by its frame, what commits it and what
// does not, and what the commit draws.
#include <windows.h>

#include <string>
#include <vector>

#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "files/image_save.h"
#include "filters/transforms.h"
#include "shell/menu_bar.h"
#include "tools/canvas_window.h"
#include "toolbox/color_box_core.h"
#include "tools/text_fixture.h"

namespace {

class TextBoxes : public TextFixture {
protected:
    void SetUp() override {
        TextFixture::SetUp();
        FreshWhitePicture();
        ASSERT_TRUE(FaceInstalled(kLatinFace)) << "fonts-liberation is not installed in the prefix";
        ASSERT_TRUE(ChooseFace(kLatinFace));
    }
};

bool Toolbar304Checked() { return (GetMenuState(MenuBar(), 304, MF_BYCOMMAND) & MF_CHECKED) != 0; }

std::vector<uint32_t> PictureCopy() {
    GdiFlush();
    return std::vector<uint32_t>(g_canvas.pixels, g_canvas.pixels + g_canvas.width * g_canvas.height);
}

// A picture with something under every pixel, so that a transparent commit shows what it touched.
void PaintStripes() {
    for (int y = 0; y < g_canvas.height; ++y)
        for (int x = 0; x < g_canvas.width; ++x)
            WritePixel(CanvasPixels(), x, y, ((x / 7 + y / 5) % 2) ? 0xFFE0E0C0u : 0xFFC0D0F0u);
}

TEST_F(TextBoxes, TheEditSitsThreeScreenPixelsInsideTheBoxAtEachZoomAndAfterScrolling) {
    struct Case {
        const char* what;
        int zoomCommand; // 0: stay at 100 %
        int wheel, horizontalWheel;
        TextRect box;
        RECT edit;
    } cases[] = {
        {"zoom 1", 0, 0, 0, {100, 100, 300, 200}, {103, 103, 297, 197}},
        {"zoom 2", 306, 0, 0, {50, 50, 150, 100}, {103, 103, 297, 197}},
        {"zoom 2, scrolled by the wheels", 306, -120, 120, {50, 50, 150, 100}, {43, 43, 237, 137}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.zoomCommand) Post(g_app.main, WM_COMMAND, c.zoomCommand);
        DragTextBox(100, 100, 300, 200);
        ASSERT_TRUE(IsTextEditingActive());
        POINT screen{200, 200};
        ClientToScreen(g_app.canvas, &screen);
        if (c.wheel) Post(g_app.canvas, WM_MOUSEWHEEL, MAKEWPARAM(0, c.wheel), MAKELPARAM(screen.x, screen.y));
        if (c.horizontalWheel)
            Post(g_app.canvas, WM_MOUSEHWHEEL, MAKEWPARAM(0, c.horizontalWheel), MAKELPARAM(screen.x, screen.y));
        EXPECT_EQ(g_textBox.rect, c.box);
        const RECT e = EditRectInCanvas();
        EXPECT_EQ(e.left, c.edit.left);
        EXPECT_EQ(e.top, c.edit.top);
        EXPECT_EQ(e.right, c.edit.right);
        EXPECT_EQ(e.bottom, c.edit.bottom);
        EXPECT_EQ(GetDlgCtrlID(TextEditWindow()), kTextEditId);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(TextEditWindow(), GWL_STYLE)) & 0xFFFFFFFFu, 0x50001044u);
        EXPECT_EQ(GetFocus(), TextEditWindow());
        Post(TextEditWindow(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        Post(g_app.main, WM_COMMAND, 305); // back to 100 %, scrolled back to the origin
    }
}

TEST_F(TextBoxes, TheDragShowsItsSizeAndAntsAndTheRightButtonOpensNothing) {
    CanvasPress(1, 100, 100);
    CanvasMove(180, 150, MK_LBUTTON);
    EXPECT_EQ(GetStatusText(kStatusDrag), L"80 x 50");
    UpdateWindow(g_app.canvas);
    HDC dc = GetDC(g_app.canvas);
    int black = 0;
    for (int x = 100; x < 180; ++x)
        black += GetPixel(dc, x, 100) == RGB(0, 0, 0);
    EXPECT_EQ(black, 40) << "dashes of 4 black and 4 white pixels along the top";
    ReleaseDC(g_app.canvas, dc);
    CanvasRelease(1, 180, 150);
    EXPECT_EQ(GetStatusText(kStatusDrag), L"");
    EXPECT_TRUE(IsTextEditingActive());
    EXPECT_EQ(g_textBox.rect, (TextRect{100, 100, 180, 150}));
    Post(TextEditWindow(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);

    CanvasDrag(2, 100, 100, 300, 200);
    EXPECT_FALSE(IsTextEditingActive());
}

struct CursorCase {
    int x, y; // canvas client point
    LPCSTR cursor;
};

// Moves the real pointer and lets the mouse messages of the move arrive before the test goes on.
void MovePointerTo(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    EXPECT_TRUE(PumpUntil([&] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == screen.x && now.y == screen.y;
    }));
    PumpMessages();
}

void ExpectCursors(const std::vector<CursorCase>& cases) {
    POINT start{};
    GetCursorPos(&start);
    const RECT edit = EditRectInCanvas();
    for (const CursorCase& c : cases) {
        POINT screen{c.x, c.y};
        ClientToScreen(g_app.canvas, &screen);
        MovePointerTo(screen);
        const bool overEdit = c.x >= edit.left && c.x < edit.right && c.y >= edit.top && c.y < edit.bottom;
        HWND w = overEdit ? TextEditWindow() : g_app.canvas;
        SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, c.cursor)) << c.x << "," << c.y;
    }
    // Back where it was, so that the tests after this one find the pointer as they always do.
    MovePointerTo(start);
}

void ExpectDragCursor(LPCSTR cursor) {
    SendMessageW(g_app.canvas, WM_SETCURSOR, reinterpret_cast<WPARAM>(g_app.canvas),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, cursor));
}

TEST_F(TextBoxes, HandlesShowTheirSizingArrowsAndTheBorderTheMoveArrow) {
    DragTextBox(100, 100, 300, 200);
    ExpectCursors({{150, 97, IDC_SIZEALL},
                   {300, 200, IDC_SIZENWSE},
                   {200, 98, IDC_SIZENS},
                   {300, 100, IDC_SIZENESW},
                   {100, 200, IDC_SIZENESW},
                   {302, 150, IDC_SIZEWE},
                   {104, 150, IDC_SIZEWE},
                   {200, 150, IDC_IBEAM},
                   {50, 50, IDC_IBEAM}});
}

// The drags are made of messages alone: a move of the real pointer would reach the canvas's capture.
TEST_F(TextBoxes, TheBorderMovesAndTheHandlesResizeWithTheirCursorsAndStatusTexts) {
    DragTextBox(100, 100, 300, 200);
    CanvasPress(1, 150, 97);
    EXPECT_TRUE(g_textBox.moving);
    ExpectDragCursor(IDC_SIZEALL);
    CanvasMove(170, 117, MK_LBUTTON);
    EXPECT_EQ(g_textBox.rect, (TextRect{120, 120, 320, 220}));
    EXPECT_EQ(GetStatusText(kStatusDrag), L"120, 120");
    EXPECT_EQ(EditRectInCanvas().left, 123);
    EXPECT_EQ(EditRectInCanvas().top, 123);
    CanvasRelease(1, 170, 117);
    EXPECT_FALSE(g_textBox.moving);
    EXPECT_EQ(GetStatusText(kStatusDrag), L"");
    EXPECT_EQ(GetFocus(), TextEditWindow());

    CanvasPress(1, 320, 220);
    EXPECT_TRUE(g_textBox.resizing);
    ExpectDragCursor(IDC_SIZENWSE);
    CanvasMove(360, 250, MK_LBUTTON);
    EXPECT_EQ(g_textBox.rect, (TextRect{120, 120, 360, 250}));
    EXPECT_EQ(GetStatusText(kStatusDrag), L"240 x 130");
    EXPECT_EQ(EditRectInCanvas().right, 357);
    CanvasRelease(1, 360, 250);

    // Handle 8 reaches into the edit; a press there is the canvas's all the same.
    Post(TextEditWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 62));
    EXPECT_EQ(g_textBox.handle, 8);
    EXPECT_EQ(GetCapture(), g_app.canvas);
    ExpectDragCursor(IDC_SIZEWE);
    CanvasMove(100, 185, MK_LBUTTON);
    EXPECT_EQ(g_textBox.rect, (TextRect{96, 120, 360, 250}));
    EXPECT_EQ(GetStatusText(kStatusDrag), L"264 x 130");
    CanvasRelease(1, 100, 185);
    EXPECT_EQ(GetFocus(), TextEditWindow());

    // A lost capture ends a move like a release.
    CanvasPress(1, 150, 117);
    CanvasMove(160, 117, MK_LBUTTON);
    ASSERT_TRUE(g_textBox.moving);
    ReleaseCapture();
    PumpMessages();
    EXPECT_FALSE(g_textBox.moving);
    EXPECT_EQ(GetStatusText(kStatusDrag), L"");
    EXPECT_EQ(GetFocus(), TextEditWindow());
    EXPECT_EQ(g_textBox.rect, (TextRect{106, 120, 370, 250}));
    EXPECT_TRUE(IsTextEditingActive());
    EXPECT_EQ(g_undo.undo.size(), 0u) << "moving and resizing draw nothing";
}

TEST_F(TextBoxes, AToolChangeCommitsWithExactlyOneUndoLevelAndHidesTheToolbar) {
    EXPECT_TRUE(IsWindowVisible(FontToolbarWindow()));
    EXPECT_TRUE(Toolbar304Checked());
    DragTextBox(100, 100, 300, 200);
    TypeIntoEdit(L"Kolvex");
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0) << "the text is not in the picture before the commit";
    ChooseTool(ToolId::Pencil);
    EXPECT_FALSE(IsTextEditingActive());
    EXPECT_EQ(g_undo.undo.size(), 1u);
    EXPECT_TRUE(g_document.modified);
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
    EXPECT_FALSE(IsWindowVisible(FontToolbarWindow()));
    EXPECT_FALSE(Toolbar304Checked());
    const int changed = CountPixelsOtherThan(0xFFFFFF);
    EXPECT_GT(changed, 100);
    int inside = 0;
    for (int y = 103; y < 197; ++y)
        for (int x = 103; x < 297; ++x)
            inside += PictureRgb(x, y) != 0xFFFFFF;
    EXPECT_EQ(inside, changed) << "every drawn pixel is inside the box less its inset";
}

// Commits the text box whenever the canvas gets the focus, as any code reached from a focus change might.
WNDPROC g_canvasProc = nullptr;
int g_canvasFocusCount = 0;
LRESULT CALLBACK CommitOnFocusProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETFOCUS) {
        ++g_canvasFocusCount;
        SettlePendingEdits(Settle::Text);
    }
    return CallWindowProcW(g_canvasProc, hwnd, msg, wParam, lParam);
}

TEST_F(TextBoxes, EscDrawsNothingAndKeepsTheUndoDepthAlsoWhenTheFocusChangeCommits) {
    for (bool hook : {false, true}) {
        SCOPED_TRACE(hook ? "canvas commits on WM_SETFOCUS" : "plain");
        g_canvasFocusCount = 0;
        if (hook)
            g_canvasProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(g_app.canvas, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CommitOnFocusProc)));
        DragTextBox(100, 100, 300, 200);
        TypeIntoEdit(L"cancelled");
        ASSERT_EQ(GetFocus(), TextEditWindow());
        Post(TextEditWindow(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        EXPECT_FALSE(IsTextEditingActive());
        EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0);
        EXPECT_EQ(g_undo.undo.size(), 0u);
        EXPECT_FALSE(g_document.modified);
        if (hook) {
            EXPECT_GE(g_canvasFocusCount, 1) << "the focus went to the canvas while the edit went";
            SetWindowLongPtrW(g_app.canvas, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_canvasProc));
        }
    }
}

TEST_F(TextBoxes, AnEmptyBoxLeavesNoUndoLevelAndTheDocumentUnchanged) {
    DragTextBox(100, 100, 300, 200);
    ChooseTool(ToolId::Pencil);
    EXPECT_FALSE(IsTextEditingActive());
    EXPECT_EQ(g_undo.undo.size(), 0u);
    EXPECT_FALSE(g_document.modified);
    EXPECT_EQ(MainCaption(), L"Untitled - Kolvex");
}

TEST_F(TextBoxes, UndoKeepsTheBoxOpenAndCtrlZInTheEditUndoesTheTypingOnly) {
    DragTextBox(100, 100, 300, 200);
    TypeIntoEdit(L"first");
    DragTextBox(350, 100, 550, 200); // the press commits the first box
    ASSERT_EQ(g_undo.undo.size(), 1u);
    TypeIntoEdit(L"second");
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_TRUE(IsTextEditingActive());
    EXPECT_EQ(EditTextNow(), L"second");
    EXPECT_EQ(g_undo.undo.size(), 0u);
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0) << "the first text is undone";

    PressKeyTo(TextEditWindow(), 'A', true);
    DWORD from = 0, to = 0;
    SendMessageW(TextEditWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 6u);
    TypeIntoEdit(L"third");
    PressKeyTo(TextEditWindow(), 'Z', true);
    EXPECT_EQ(EditTextNow(), L"second") << "the edit's own undo, once";
    EXPECT_EQ(g_undo.redo.size(), 1u) << "the picture's history is left alone";
    EXPECT_TRUE(IsTextEditingActive());
}

TEST_F(TextBoxes, GripsTheTripleRightClickEscElsewhereAndTheWheelZoomCommitFirst) {
    struct Case {
        const char* what;
        void (*act)();
        size_t levels; // the text's, and the resize's where there is one
    } cases[] = {
        {"a press on the corner grip", [] { CanvasPress(1, 641, 481); }, 1},
        {"a triple right-click outside the picture",
         [] {
             for (int i = 0; i < 3; ++i)
                 CanvasPress(2, 700, 300);
         },
         2},
        {"Esc in the tool box",
         [] {
             SetFocus(g_app.toolBox);
             PressKeyTo(g_app.toolBox, VK_ESCAPE);
         },
         1},
        {"Ctrl and the wheel",
         [] {
             POINT screen{200, 200};
             ClientToScreen(g_app.canvas, &screen);
             Post(g_app.canvas, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), MAKELPARAM(screen.x, screen.y));
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshWhitePicture();
        ClearUndoStack();
        DragTextBox(100, 100, 300, 200);
        TypeIntoEdit(L"settled");
        c.act();
        CanvasRelease(1, 641, 481);
        CanvasRelease(2, 700, 300);
        EXPECT_FALSE(IsTextEditingActive());
        EXPECT_EQ(g_undo.undo.size(), c.levels);
        Post(g_app.main, WM_COMMAND, 305);
    }
}

std::vector<uint32_t> ReadBmpRgb(const std::wstring& path, int width, int height) {
    std::vector<uint32_t> rgb;
    HBITMAP bmp = static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bmp) return rgb;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    rgb.resize(static_cast<size_t>(width) * height);
    HDC dc = GetDC(nullptr);
    if (GetDIBits(dc, bmp, 0, height, rgb.data(), &bi, DIB_RGB_COLORS) != height) rgb.clear();
    ReleaseDC(nullptr, dc);
    DeleteObject(bmp);
    for (uint32_t& p : rgb)
        p &= 0xFFFFFF;
    return rgb;
}

TEST_F(TextBoxes, AZoomChangeAndASaveCommitFirst) {
    DragTextBox(100, 100, 300, 200);
    TypeIntoEdit(L"zoomed");
    Post(g_app.main, WM_COMMAND, 306);
    EXPECT_FALSE(IsTextEditingActive());
    EXPECT_EQ(g_view.zoom, 2.0);
    EXPECT_EQ(g_undo.undo.size(), 1u);
    const int afterZoom = CountPixelsOtherThan(0xFFFFFF);
    EXPECT_GT(afterZoom, 100);

    Post(g_app.main, WM_COMMAND, 305);
    const std::wstring folder = MakeTestFolder(L"kolvex_text_save_");
    const std::wstring file = folder + L"\\saved.bmp";
    ASSERT_TRUE(SaveImageFile(file));
    DragTextBox(100, 250, 400, 350);
    TypeIntoEdit(L"saved with the picture");
    Post(g_app.main, WM_COMMAND, 103);
    EXPECT_FALSE(IsTextEditingActive());
    EXPECT_FALSE(g_document.modified);
    EXPECT_GT(CountPixelsOtherThan(0xFFFFFF), afterZoom);
    const std::vector<uint32_t> saved = ReadBmpRgb(file, 640, 480);
    ASSERT_EQ(saved.size(), 640u * 480u);
    int differ = 0, lower = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            differ += saved[static_cast<size_t>(y) * 640 + x] != PictureRgb(x, y);
            lower += y >= 250 && saved[static_cast<size_t>(y) * 640 + x] != 0xFFFFFF;
        }
    EXPECT_EQ(differ, 0) << "the file holds the picture with both texts";
    EXPECT_GT(lower, 100) << "the second text is in the file";
    RemoveTestFolder(folder);
}

// The stretch commits the typed text before its own level, so the text is stretched with the picture and
// Undo takes back only the stretch; a size it refuses settles nothing.
TEST_F(TextBoxes, AStretchCommitsTheTextFirstAndARefusedOneLeavesTheBoxOpen) {
    DragTextBox(100, 100, 300, 200);
    TypeIntoEdit(L"stretched");
    StretchPicture(700000, 480);
    EXPECT_TRUE(IsTextEditingActive()) << "a refused size settles nothing";
    EXPECT_EQ(g_undo.undo.size(), 0u);
    EXPECT_EQ(g_canvas.width, 640);

    StretchPicture(320, 240);
    EXPECT_FALSE(IsTextEditingActive());
    EXPECT_EQ(g_canvas.width, 320);
    EXPECT_EQ(g_canvas.height, 240);
    EXPECT_EQ(g_undo.undo.size(), 2u) << "the text's level, then the stretch's";
    const int halfSize = CountPixelsOtherThan(0xFFFFFF);
    EXPECT_GT(halfSize, 20) << "the text is in the stretched picture";
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_GT(CountPixelsOtherThan(0xFFFFFF), halfSize) << "Undo gives the full-size picture with its text";
}

TEST_F(TextBoxes, OpaqueFillsTheWholeBoxWithColor2AndTransparentTouchesOnlyTheGlyphs) {
    g_colors.foreground = RGB(0, 0, 160);
    g_colors.background = RGB(0, 160, 0);
    const TextRect box{100, 100, 300, 200};
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        PaintStripes();
        const std::vector<uint32_t> before = PictureCopy();
        PressKeyTo(g_app.main, transparent ? '2' : '1', true);
        ASSERT_EQ(g_tools.textTransparent, transparent);
        DragTextBox(box.left, box.top, box.right, box.bottom);
        TypeIntoEdit(L"Mode of the background");
        ChooseTool(ToolId::Pencil);
        ChooseTool(ToolId::Text);
        const std::vector<uint32_t> after = PictureCopy();
        // The text's own extent, as the system lays it out in the target rectangle.
        HDC dc = CreateCompatibleDC(nullptr);
        HFONT font = CreateFontW(-37, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, kLatinFace);
        HGDIOBJ old = SelectObject(dc, font);
        RECT glyphs{103, 103, 297, 197};
        DrawTextW(dc, L"Mode of the background", -1, &glyphs, 0x2850 | DT_CALCRECT);
        SelectObject(dc, old);
        DeleteObject(font);
        DeleteDC(dc);
        int outsideBox = 0, outsideGlyphs = 0, insetNotColor2 = 0, changed = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const size_t i = static_cast<size_t>(479 - y) * 640 + x;
                const bool differs = (before[i] & 0xFFFFFF) != (after[i] & 0xFFFFFF);
                const bool inBox = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
                const bool inGlyphs = x >= glyphs.left && x < glyphs.right && y >= glyphs.top && y < glyphs.bottom;
                const bool inInset = inBox && (x < 103 || x >= 297 || y < 103 || y >= 197);
                changed += differs;
                outsideBox += differs && !inBox;
                outsideGlyphs += differs && !inGlyphs;
                insetNotColor2 += inInset && (after[i] & 0xFFFFFF) != 0x00A000;
            }
        EXPECT_GT(changed, 100);
        EXPECT_EQ(outsideBox, 0);
        if (transparent) {
            EXPECT_EQ(outsideGlyphs, 0);
        } else {
            EXPECT_EQ(insetNotColor2, 0) << "the inset is filled too";
        }
    }
}

TEST_F(TextBoxes, ColourAndBackgroundChangesDropTheBrushAndRepaintTheEdit) {
    PressKeyTo(g_app.main, '1', true); // opaque
    DragTextBox(100, 100, 300, 200);
    auto editPixel = [] {
        UpdateWindow(TextEditWindow());
        HDC dc = GetDC(TextEditWindow());
        const COLORREF c = GetPixel(dc, 2, 60);
        ReleaseDC(TextEditWindow(), dc);
        return c;
    };
    EXPECT_EQ(editPixel(), RGB(255, 255, 255));
    ASSERT_NE(g_textBox.opaqueBrush, nullptr);
    const SwatchRect s = PaletteSwatchRect(5);
    struct Step {
        const char* what;
        void (*act)(const SwatchRect&);
        COLORREF shown;
    } steps[] = {
        {"a right click on a swatch",
         [](const SwatchRect& r) {
             SendMessageW(g_app.colorBox, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(r.left + 3, r.top + 3));
         },
         static_cast<COLORREF>(kPalette[5])},
        {"Ctrl+2", [](const SwatchRect&) { SendKeyTo(g_app.main, '2', true); }, RGB(255, 255, 255)},
        {"Ctrl+1", [](const SwatchRect&) { SendKeyTo(g_app.main, '1', true); }, static_cast<COLORREF>(kPalette[5])},
        {"Edit Colors",
         [](const SwatchRect&) {
             AnswerNextMessageBox(IDOK);
             SendMessageW(g_app.main, WM_COMMAND, 701, 0);
         },
         static_cast<COLORREF>(kPalette[5])},
    };
    // Sent, not posted, so that the edit has not painted again when the test looks.
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        editPixel();
        EXPECT_TRUE(g_tools.textTransparent || g_textBox.opaqueBrush);
        ValidateRect(TextEditWindow(), nullptr);
        step.act(s);
        EXPECT_EQ(g_textBox.opaqueBrush, nullptr);
        EXPECT_TRUE(GetUpdateRect(TextEditWindow(), nullptr, FALSE));
        EXPECT_EQ(editPixel(), step.shown);
    }
    EXPECT_TRUE(MessageBoxWasAnswered(nullptr)) << "the colour dialog was shown and closed";
}

TEST_F(TextBoxes, HangulTypedThroughTheKoreanKeyPathStaysTextAndToolLettersElsewhereCommit) {
    ASSERT_TRUE(FaceInstalled(kHangulFace)) << "fonts-nanum is not installed in the prefix";
    ASSERT_TRUE(ChooseFace(kHangulFace));
    DragTextBox(100, 100, 300, 200);
    HWND edit = TextEditWindow();
    Post(edit, WM_KEYDOWN, 0xE5, 0x00130001); // the input method's key, on the physical R
    for (wchar_t c : {L'\xD55C', L'\xAE00', L'\x3131'})
        Post(edit, WM_CHAR, c, 0x00130001);
    EXPECT_EQ(g_tools.currentTool, ToolId::Text);
    EXPECT_EQ(EditTextNow(), L"\xD55C\xAE00\x3131");
    EXPECT_EQ(g_undo.undo.size(), 0u);

    SetFocus(g_app.toolBox);
    PressKeyTo(g_app.toolBox, 'R');
    EXPECT_EQ(g_tools.currentTool, ToolId::Rectangle);
    EXPECT_FALSE(IsTextEditingActive());
    EXPECT_EQ(g_undo.undo.size(), 1u);
    EXPECT_GT(CountPixelsOtherThan(0xFFFFFF), 50);
}

} // namespace
