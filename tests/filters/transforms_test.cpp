// The flips, quarter turns and inversion through the real commands and the Flip and Rotate dialog, on the picture,
// on a never-moved rectangle, on a moved selection and on a fuzzy-selected "L" stamped opaque; each checked pixel by
// pixel against a model of the expected picture after Esc, with its undo levels. Then Crop after them, Clear Image,
// the view after a turn, and what a refused surface leaves.
#include <windows.h>

#include <string>
#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/document_state.h"
#include "document/view_state.h"
#include "filters/transform_steps.h"
#include "tools/selection.h"
#include "toolbox/tool_actions.h"
#include "toolbox/tool_state.h"

namespace {

using namespace transform_steps;

class Transforms : public TransformFixture {};

enum class Op { FlipH, FlipV, Rot90, Rot180, Invert };
struct OpCase {
    Op op;
    const char* name;
    size_t levels;
};
constexpr OpCase kOps[] = {{Op::FlipH, "flip horizontal", 1},
                           {Op::FlipV, "flip vertical", 1},
                           {Op::Rot90, "rotate 90", 1},
                           {Op::Rot180, "rotate 180", 2},
                           {Op::Invert, "invert", 1}};

// Runs the operation as a user does: the dialog for the flips and turns, Ctrl+I's command for the inversion.
void Transform(Op op) {
    if (op == Op::Invert) return Command(403);
    const int radio = op == Op::FlipH   ? kFlipHorizontalId
                      : op == Op::FlipV ? kFlipVerticalId
                      : op == Op::Rot90 ? kRotate90Id
                                        : kRotate180Id;
    const DialogSeen seen = FlipRotate(radio);
    ASSERT_TRUE(seen.ran);
    EXPECT_FALSE(seen.timedOut);
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ(seen.checked, std::vector<int>{kFlipHorizontalId}) << "every open starts on Flip horizontal";
}

// An image and its mask as the model sees them, top row first.
struct Floating {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    std::vector<uint8_t> in; // 1: inside the mask
    uint32_t Px(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    uint8_t In(int x, int y) const { return in[static_cast<size_t>(y) * w + x]; }
};

// The operation written out on its own: (x, y) of the result takes the source pixel named here.
Floating Apply(Op op, const Floating& f) {
    if (op == Op::Rot180) return Apply(Op::Rot90, Apply(Op::Rot90, f));
    Floating g;
    g.w = op == Op::Rot90 ? f.h : f.w;
    g.h = op == Op::Rot90 ? f.w : f.h;
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
            int sx = x, sy = y;
            if (op == Op::FlipH) sx = f.w - 1 - x;
            if (op == Op::FlipV) sy = f.h - 1 - y;
            if (op == Op::Rot90) sx = f.w - 1 - y, sy = x;
            uint32_t v = f.Px(sx, sy);
            if (op == Op::Invert) v = 0xFF000000u | (~v & 0xFFFFFFu);
            g.px.push_back(v);
            g.in.push_back(f.In(sx, sy));
        }
    return g;
}

Floating Cut(Expected& picture, int left, int top, int w, int h, const std::vector<uint8_t>& mask = {}) {
    Floating f{w, h, {}, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            f.px.push_back(picture.At(left + x, top + y));
            f.in.push_back(mask.empty() ? 1 : mask[static_cast<size_t>(y) * w + x]);
        }
    return f;
}

// before with the selection taken out at (sx, sy), leaving Color 2 inside its mask, and g stamped opaque within
// its mask at (left, top).
Expected Stamped(Expected before, const Floating& f, int sx, int sy, const Floating& g, int left, int top) {
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x)
            if (f.In(x, y)) before.At(sx + x, sy + y) = kHole;
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
            if (g.In(x, y) && left + x < before.width && top + y < before.height)
                before.At(left + x, top + y) = g.Px(x, y);
    return before;
}

void UndoTimes(size_t n) {
    for (size_t i = 0; i < n; ++i)
        Command(201);
}

TEST_F(Transforms, EachTransformationOfThePicture) {
    for (const OpCase& c : kOps) {
        SCOPED_TRACE(c.name);
        FreshPattern();
        Expected before = Expected::OfPicture();
        Transform(c.op);
        const Floating result = Apply(c.op, Cut(before, 0, 0, 640, 480));
        Expected after{result.w, result.h, result.px};
        EXPECT_TRUE(PictureIs(after));
        EXPECT_EQ(Depth(), c.levels);
        EXPECT_TRUE(g_document.modified);
        UndoTimes(c.levels);
        EXPECT_TRUE(PictureIs(before)) << "Undo gives the picture back";
    }
    // The former top-right pixel is at the top-left of the turned 480 x 640 picture.
    FreshPattern();
    Transform(Op::Rot90);
    EXPECT_EQ(g_canvas.width, 480);
    EXPECT_EQ(g_canvas.height, 640);
    EXPECT_EQ(PictureAt(0, 0), Pattern(639, 0));
}

// The selections the operations work on, made as a user makes them, and what the model needs of them.
struct Target {
    const char* name;
    Expected before; // the picture before the selection was made
    Floating f;      // its pixels and mask where it was taken from
    int sx = 0, sy = 0, left = 0, top = 0;
};

// An "L" of distinct colours within the fuzzy tolerance of each other on white: a 4 x 16 bar and a 12 x 4 foot.
std::vector<uint8_t> LMask() {
    std::vector<uint8_t> m(12 * 16, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 12; ++x)
            m[static_cast<size_t>(y) * 12 + x] = x < 4 || y >= 12;
    return m;
}

Target MakeTarget(int kind) {
    Target t;
    if (kind < 2) {
        FreshPattern();
        SetTool(ToolId::Select);
        t.before = Expected::OfPicture();
        CanvasDrag(1, 100, 100, 140, 130);
        t.f = Cut(t.before, 100, 100, 40, 30);
        t.sx = t.left = 100;
        t.sy = t.top = 100;
        t.name = "a never-moved rectangle";
        if (kind == 1) {
            CanvasDrag(1, 110, 110, 310, 210);
            t.left = 300;
            t.top = 200;
            t.name = "a moved selection";
        }
        return t;
    }
    FreshWhitePicture();
    ClearUndoHistory();
    const std::vector<uint8_t> l = LMask();
    int n = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 12; ++x)
            if (l[static_cast<size_t>(y) * 12 + x]) {
                WritePixel(CanvasPixels(), 200 + x, 150 + y,
                           0xFF000000u | static_cast<uint32_t>(200 + n % 15) << 16 |
                               static_cast<uint32_t>(100 + n / 15) << 8);
                ++n;
            }
    t.before = Expected::OfPicture();
    SetTool(ToolId::FuzzySelect);
    CanvasPress(1, 201, 151);
    CanvasRelease(1, 201, 151);
    Command(406); // Ctrl+K: opaque, so that the padding round the shape would show if the mask went wrong
    t.f = Cut(t.before, 200, 150, 12, 16, l);
    t.sx = t.left = 200;
    t.sy = t.top = 150;
    t.name = "a fuzzy-selected L stamped opaque";
    return t;
}

TEST_F(Transforms, EachTransformationOfEachKindOfSelection) {
    for (int kind = 0; kind < 3; ++kind) {
        for (const OpCase& c : kOps) {
            Target t = MakeTarget(kind);
            SCOPED_TRACE(std::string(t.name) + ", " + c.name);
            ASSERT_TRUE(HasSelection());
            ASSERT_EQ(g_selection.width, t.f.w);
            ASSERT_FALSE(g_tools.selectionTransparent);
            const size_t depth = Depth();
            Transform(c.op);
            EXPECT_EQ(Depth(), depth + c.levels) << "the lift's level for a selection not yet lifted, else its own";
            const Floating g = Apply(c.op, t.f);
            ASSERT_TRUE(g_selection.lifted);
            EXPECT_EQ(g_selection.left, t.left);
            EXPECT_EQ(g_selection.top, t.top);
            EXPECT_EQ(g_selection.width, g.w);
            EXPECT_EQ(g_selection.right - g_selection.left, g.w);
            EXPECT_EQ(g_selection.bottom - g_selection.top, g.h);
            if (c.op == Op::Rot90 || c.op == Op::Rot180) {
                EXPECT_EQ(g_selection.sourceLeft, t.left) << "a turned selection is made from where it is now";
                EXPECT_EQ(g_selection.sourceBottom, t.top + g.h);
            }
            Escape();
            EXPECT_FALSE(HasSelection());
            Expected after = Stamped(t.before, t.f, t.sx, t.sy, g, t.left, t.top);
            EXPECT_TRUE(PictureIs(after));
            UndoTimes(c.levels);
            Expected unchanged = Stamped(t.before, t.f, t.sx, t.sy, t.f, t.left, t.top);
            EXPECT_TRUE(PictureIs(unchanged)) << "Undo gives the selection back unchanged at its place";
        }
    }
}

TEST_F(Transforms, CropAfterATurnAndAfterAScaleTakesTheTransformedSelection) {
    FreshPattern();
    SetTool(ToolId::Select);
    Expected before = Expected::OfPicture();
    CanvasDrag(1, 100, 100, 140, 130);
    Transform(Op::Rot90);
    Command(407);
    const Floating turned = Apply(Op::Rot90, Cut(before, 100, 100, 40, 30));
    Expected cropped{turned.w, turned.h, turned.px};
    EXPECT_TRUE(PictureIs(cropped));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Cropped image to 30 x 40 pixels.");

    FreshPattern();
    CanvasDrag(1, 100, 100, 140, 130);
    const ResizeSeen seen = ResizePercent(L"200");
    ASSERT_TRUE(seen.dialog.ran);
    EXPECT_EQ(g_selection.width, 80);
    Command(407);
    Expected scaled{80, 60, {}};
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            scaled.px.push_back(before.At(100 + x / 2, 100 + y / 2));
    EXPECT_TRUE(PictureIs(scaled));
}

TEST_F(Transforms, AOnePixelHighFlipChangesNothingButStillRecordsALevel) {
    FreshPattern(640, 1);
    Expected before = Expected::OfPicture();
    Transform(Op::FlipV);
    EXPECT_TRUE(PictureIs(before));
    EXPECT_EQ(Depth(), 1u);
    EXPECT_TRUE(g_document.modified);
}

TEST_F(Transforms, ClearImageFillsColorTwoAndDiscardsAFloatingSelection) {
    FreshPattern();
    SetTool(ToolId::Select);
    Expected before = Expected::OfPicture();
    CanvasDrag(1, 100, 100, 140, 130);
    CanvasDrag(1, 110, 110, 310, 210);
    Command(405);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(CountPixelsOtherThan(0x0000FF), 0);
    EXPECT_EQ(Depth(), 2u) << "the move's lift and the clear";
    Escape();
    EXPECT_EQ(CountPixelsOtherThan(0x0000FF), 0) << "nothing was left to stamp";
    Command(201);
    const Floating f = Cut(before, 100, 100, 40, 30);
    Expected moved = Stamped(before, f, 100, 100, f, 300, 200);
    EXPECT_TRUE(PictureIs(moved)) << "the level holds the moved selection stamped";
}

TEST_F(Transforms, ATurnOfAPictureScrolledFullyRightKeepsTheViewInRange) {
    FreshPattern(3000, 500);
    g_view.scrollX = 1 << 20;
    ClampScroll();
    RECT client;
    GetClientRect(g_app.canvas, &client);
    ASSERT_EQ(g_view.scrollX, 3000 - client.right) << "scrolled fully right";
    Transform(Op::Rot90);
    ASSERT_EQ(g_canvas.width, 500);
    EXPECT_EQ(g_view.scrollX, 0) << "the turned picture is narrower than the canvas";
    EXPECT_GE(g_view.scrollY, 0);
    EXPECT_LE(g_view.scrollY, std::max(0L, 3000 - client.bottom));
    RedrawWindow(g_app.canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(g_app.canvas);
    const COLORREF shown = GetPixel(dc, 20, 20);
    ReleaseDC(g_app.canvas, dc);
    const uint32_t p = PictureAt(20, 20 + g_view.scrollY);
    EXPECT_EQ(shown, RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF)) << "the picture is visible, not grey";
}

HBITMAP WINAPI RefuseDib(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) { return nullptr; }
// Lets the first call through, then refuses: the selection's own image can be made, its turned copy cannot.
int g_dibsAllowed = 0;
HBITMAP WINAPI RefuseAfterFirst(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE s, DWORD o) {
    return g_dibsAllowed-- > 0 ? CreateDIBSection(dc, info, usage, bits, s, o) : nullptr;
}

TEST_F(Transforms, ARefusedSurfaceDuringATurnChangesNothing) {
    struct Case {
        const char* name;
        int kind; // -1 the picture, 0 a never-moved rectangle, 1 a moved selection
        CreateDibSectionFn maker;
        int allowed;
        const wchar_t* status;
    };
    const Case cases[] = {
        {"the picture", -1, RefuseDib, 0, L"Not enough memory for a picture of 480 x 640 pixels."},
        {"a rectangle without an image", 0, RefuseDib, 0, L"Not enough memory to move selection."},
        {"a rectangle whose turned copy fails", 0, RefuseAfterFirst, 1,
         L"Not enough memory for a picture of 30 x 40 pixels."},
        {"a moved selection", 1, RefuseDib, 0, L"Not enough memory for a picture of 30 x 40 pixels."},
    };
    for (const Case& c : cases) {
        for (Op op : {Op::Rot90, Op::Rot180}) {
            SCOPED_TRACE(std::string(c.name) + (op == Op::Rot90 ? ", 90" : ", 180"));
            Target t;
            if (c.kind >= 0) {
                t = MakeTarget(c.kind);
            } else {
                FreshPattern();
            }
            ForgetDocumentChanges();
            Expected picture = Expected::OfPicture();
            const size_t depth = Depth();
            const bool lifted = g_selection.lifted;
            SetStatusText(kStatusMessage, L"");
            g_dibsAllowed = c.allowed;
            g_createDibSection = c.maker;
            Transform(op);
            g_createDibSection = &CreateDIBSection;
            EXPECT_EQ(GetStatusText(kStatusMessage), c.status);
            EXPECT_TRUE(PictureIs(picture));
            EXPECT_EQ(Depth(), depth);
            EXPECT_EQ(g_document.modified, false);
            if (c.kind >= 0) {
                EXPECT_EQ(g_selection.lifted, lifted);
                EXPECT_EQ(g_selection.width, 40);
                EXPECT_EQ(g_selection.image.pixels != nullptr, lifted) << "an image made for the turn is let go";
            }
            DropSelection(false);
        }
    }
}

} // namespace

namespace {

using namespace transform_steps;

// Keys as the keyboard gives them: each reaches the control that has the focus when the dialog's loop takes it.
void Keys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD vk : keys)
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = vk;
            i.ki.dwFlags = up;
            in.push_back(i);
        }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

TEST_F(Transforms, TheArrowKeysChooseInTheFlipDialogEnterRunsItAndEscapeCancels) {
    struct Case {
        std::initializer_list<WORD> keys;
        int width, height;
        uint32_t topLeft;
        const char* why;
    };
    const Case cases[] = {
        {{VK_DOWN, VK_DOWN, VK_RETURN}, 480, 640, Pattern(639, 0), "Down, Down: Rotate 90 degrees"},
        {{VK_DOWN, VK_RETURN}, 640, 480, Pattern(0, 479), "Down: Flip vertical"},
        {{VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_UP, VK_RETURN}, 640, 480, Pattern(0, 479), "Up goes back"},
        {{VK_RETURN}, 640, 480, Pattern(639, 0), "Flip horizontal, as it opens"},
        {{VK_DOWN, VK_ESCAPE}, 640, 480, Pattern(0, 0), "Escape cancels"},
    };
    for (const Case& c : cases) {
        FreshPattern();
        const ModalStepResult r = RunModalStep(
            kFlipRotateClass, [&](HWND) { Keys(c.keys); }, [] { Command(401); });
        ASSERT_TRUE(r.stepRan) << c.why;
        EXPECT_FALSE(r.timedOut) << c.why;
        EXPECT_EQ(g_canvas.width, c.width) << c.why;
        EXPECT_EQ(g_canvas.height, c.height) << c.why;
        EXPECT_EQ(PictureAt(0, 0), c.topLeft) << c.why;
    }
}

} // namespace
