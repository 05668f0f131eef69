// The Bezier path tool on the real canvas: anchors from posted clicks and drags, the overlay read back from the
// window, and the actions checked against what the test computes itself: the stroke against its own GDI calls,
// the mosaic and the selection against a polygon region the system builds.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "support/app_fixture.h"
#include "tools/path_tool.h"
#include "tools/selection.h"
#include "toolbox/colors.h"
#include "toolbox/tool_actions.h"

namespace {

constexpr COLORREF kSegment = RGB(0, 120, 255);
constexpr COLORREF kHandleFill = RGB(0, 160, 255);
constexpr COLORREF kHandleLine = RGB(128, 128, 128);
constexpr COLORREF kFirstSquare = RGB(255, 220, 0);
constexpr uint32_t kBlue = 0x0000FFu;

// Every picture pixel distinct enough that an average shows: red = x / 3, green = y / 2, blue = 77 + x % 3.
uint32_t Pattern(int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x / 3 % 256) << 16 | static_cast<uint32_t>(y / 2 % 256) << 8 |
           static_cast<uint32_t>(77 + x % 3);
}

void PaintPattern() {
    GdiFlush();
    for (int y = 0; y < g_canvas.height; ++y)
        for (int x = 0; x < g_canvas.width; ++x)
            WritePixel(CanvasPixels(), x, y, Pattern(x, y));
}

enum Mods { kNone = 0, kCtrl = 1, kShift = 2 };

void SetModifiers(int mods) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = (mods & kCtrl) ? 0x80 : 0;
    state[VK_SHIFT] = state[VK_LSHIFT] = (mods & kShift) ? 0x80 : 0;
    SetKeyboardState(state);
}

// A key pressed over the canvas, through the program's own routing.
void Key(UINT vk, int mods = kNone) {
    SetModifiers(mods);
    Post(g_app.canvas, WM_KEYDOWN, vk, 1 | static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
    SetModifiers(kNone);
}

WPARAM ButtonKeys(int button) { return button == 1 ? MK_LBUTTON : MK_RBUTTON; }

// At zoom 1 and no scroll, canvas client points are picture points.
void Click(int button, int x, int y) {
    CanvasPress(button, x, y);
    CanvasRelease(button, x, y);
}

// A smooth anchor at (x, y) whose outgoing handle is pulled to (hx, hy).
void DragAnchor(int button, int x, int y, int hx, int hy) {
    CanvasPress(button, x, y);
    CanvasMove((x + hx) / 2, (y + hy) / 2, ButtonKeys(button));
    CanvasMove(hx, hy, ButtonKeys(button));
    CanvasRelease(button, hx, hy);
}

void DoubleClick(int x, int y) {
    Click(1, x, y);
    Post(g_app.canvas, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    CanvasRelease(1, x, y);
}

COLORREF Screen(int x, int y) { return RepaintedCanvasPixel(x, y); }

// Scrolls so that a content point lies well inside the window where the zoom allows it, and reads it there.
COLORREF ScreenAtContent(int cx, int cy) {
    g_view.scrollX = cx - 300;
    g_view.scrollY = cy - 200;
    ClampScroll();
    return Screen(cx - g_view.scrollX, cy - g_view.scrollY);
}

size_t Depth() { return g_undo.undo.size(); }

std::wstring ReadyText(const wchar_t* state, const wchar_t* mode) {
    return std::wstring(L"Path ") + state + L". Press Enter to " + mode +
           L", or click [Select]/[Stroke]/[Mosaic]/[Clear].";
}

// The test's own cubic: B(t) of the four points, each coordinate plus 0.5 and truncated toward zero.
POINT Bezier(const POINT (&p)[4], double t) {
    const double u = 1 - t;
    auto at = [&](double a, double b, double c, double d) {
        return static_cast<int>(u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d + 0.5);
    };
    return {at(p[0].x, p[1].x, p[2].x, p[3].x), at(p[0].y, p[1].y, p[2].y, p[3].y)};
}

struct Anchor {
    int x, y;
    bool curved;
    int outX = 0, outY = 0; // the incoming handle mirrors it through the anchor
    POINT In() const { return curved ? POINT{2 * x - outX, 2 * y - outY} : POINT{x, y}; }
    POINT Out() const { return curved ? POINT{outX, outY} : POINT{x, y}; }
};

void Build(int button, const std::vector<Anchor>& anchors) {
    for (const Anchor& a : anchors)
        if (a.curved)
            DragAnchor(button, a.x, a.y, a.outX, a.outY);
        else
            Click(button, a.x, a.y);
}

// The control points of the segment from a to b.
void Controls(const Anchor& a, const Anchor& b, POINT (&p)[4]) {
    p[0] = {a.x, a.y};
    p[1] = a.Out();
    p[2] = b.In();
    p[3] = {b.x, b.y};
}

// The closed polygon of a path: a straight segment's start, or 16 points of a curved one from its start on.
std::vector<POINT> Polygon(const std::vector<Anchor>& anchors) {
    std::vector<POINT> out;
    for (size_t i = 0; i < anchors.size(); ++i) {
        const Anchor &a = anchors[i], &b = anchors[(i + 1) % anchors.size()];
        POINT p[4];
        Controls(a, b, p);
        if (!a.curved && !b.curved) {
            out.push_back(p[0]);
            continue;
        }
        for (int j = 0; j < 16; ++j)
            out.push_back(Bezier(p, j / 16.0));
    }
    return out;
}

// What the system's winding polygon region holds of the picture, in the clipped box of the vertices.
struct Region {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    std::vector<uint8_t> mask;
    bool Inside(int x, int y) const {
        return x >= left && x < right && y >= top && y < bottom &&
               mask[static_cast<size_t>(y - top) * (right - left) + (x - left)];
    }
};

Region SystemRegion(const std::vector<POINT>& polygon) {
    int minX = g_canvas.width, minY = g_canvas.height, maxX = 0, maxY = 0;
    for (const POINT& p : polygon) {
        minX = std::min<int>(minX, p.x);
        minY = std::min<int>(minY, p.y);
        maxX = std::max<int>(maxX, p.x);
        maxY = std::max<int>(maxY, p.y);
    }
    Region r;
    r.left = std::clamp(minX, 0, g_canvas.width - 1);
    r.right = std::clamp(maxX, 0, g_canvas.width - 1) + 1;
    r.top = std::clamp(minY, 0, g_canvas.height - 1);
    r.bottom = std::clamp(maxY, 0, g_canvas.height - 1) + 1;
    HRGN rgn = CreatePolygonRgn(polygon.data(), static_cast<int>(polygon.size()), WINDING);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            r.mask.push_back(PtInRegion(rgn, x, y) ? 1 : 0);
    DeleteObject(rgn);
    return r;
}

class PathTool : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        EnlargeMainWindow();
        SetTool(ToolId::Path);
    }
};

TEST_F(PathTool, ClicksAndDragsMakeAnchorsAndAPressOnTheFirstClosesThePath) {
    Click(1, 100, 100);
    EXPECT_EQ(PathAnchorCount(), 1);
    // Pulled out and back to its start: the handles of the last position passed stay.
    CanvasPress(1, 300, 100);
    CanvasMove(340, 80, MK_LBUTTON);
    CanvasMove(300, 100, MK_LBUTTON);
    CanvasRelease(1, 300, 100);
    EXPECT_EQ(PathAnchorCount(), 2);
    EXPECT_EQ(Screen(340, 80), kHandleFill) << "the outgoing handle";
    EXPECT_EQ(Screen(260, 120), kHandleFill) << "the incoming one, mirrored";
    EXPECT_EQ(Screen(280, 110), kHandleLine);
    Click(1, 300, 300);
    SetStatusText(kStatusMessage, L"before");
    CanvasPress(1, 104, 105); // 16 + 25 from the first anchor
    EXPECT_EQ(GetStatusText(kStatusMessage), ReadyText(L"closed", L"Make selection"));
    EXPECT_NE(GetCapture(), g_app.canvas) << "closing ends the drag at the press";
    CanvasRelease(1, 104, 105);
    EXPECT_EQ(PathAnchorCount(), 3);
    EXPECT_EQ(Screen(200, 200), kSegment) << "the closing segment";
    EXPECT_EQ(Screen(100, 100), kFirstSquare);
    EXPECT_EQ(Screen(300, 300), RGB(255, 255, 255)) << "the other squares are white";
    EXPECT_EQ(Screen(297, 300), RGB(0, 0, 0)) << "with a black outline";
    Click(1, 400, 400);
    EXPECT_EQ(PathAnchorCount(), 1) << "a press after closing starts a new path";
    EXPECT_EQ(Screen(400, 400), kFirstSquare);
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0) << "the path never touches the picture";
}

TEST_F(PathTool, ADoubleClickFinishesWithoutItsExtraAnchorAndLaterClicksExtendThePath) {
    Click(1, 100, 100);
    Click(1, 200, 100);
    DoubleClick(203, 104); // its first press adds an anchor 25 from the one before
    EXPECT_EQ(PathAnchorCount(), 2);
    EXPECT_EQ(GetStatusText(kStatusMessage), ReadyText(L"finished", L"Make selection"));
    Click(1, 150, 200);
    EXPECT_EQ(PathAnchorCount(), 3) << "a finished path is extended";
    g_tools.pathMode = 2;
    DoubleClick(150, 200);
    EXPECT_EQ(PathAnchorCount(), 3);
    EXPECT_EQ(GetStatusText(kStatusMessage), ReadyText(L"finished", L"Apply mosaic"));
    g_tools.pathMode = 1;
    DoubleClick(300, 300); // far from the one before: kept
    EXPECT_EQ(PathAnchorCount(), 4);
    EXPECT_EQ(GetStatusText(kStatusMessage), ReadyText(L"finished", L"Stroke line"));
    EXPECT_EQ(Screen(200, 200), RGB(255, 255, 255)) << "finishing does not close: no segment back to the first";

    ClearPath();
    Click(1, 50, 50);
    SetStatusText(kStatusMessage, L"before");
    Post(g_app.canvas, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"before") << "one anchor does not finish";
}

TEST_F(PathTool, BackspaceDeleteUndoEscapeAndAToolChangeTakeAnchorsAway) {
    Click(1, 100, 100);
    Click(1, 200, 100);
    Click(1, 200, 200);
    const size_t depth = Depth();
    Key(VK_BACK);
    EXPECT_EQ(PathAnchorCount(), 2);
    Key(VK_DELETE);
    EXPECT_EQ(PathAnchorCount(), 1);
    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(PathAnchorCount(), 0) << "Undo takes the last anchor first";
    EXPECT_EQ(Depth(), depth);
    EXPECT_EQ(Screen(100, 100), RGB(255, 255, 255)) << "no anchor is drawn any more";

    // Esc with a path takes only the path: the selection stays until the next Esc.
    Click(1, 100, 100);
    Click(1, 200, 100);
    CreateSelection(300, 300, 350, 350);
    ASSERT_TRUE(HasSelection());
    Key(VK_ESCAPE);
    EXPECT_EQ(PathAnchorCount(), 0);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Path cleared.");
    EXPECT_TRUE(HasSelection());
    Key(VK_ESCAPE);
    EXPECT_FALSE(HasSelection());

    Click(1, 100, 100);
    Click(1, 200, 100);
    Key('L');
    EXPECT_EQ(g_tools.currentTool, ToolId::Line);
    EXPECT_EQ(PathAnchorCount(), 0);
    EXPECT_EQ(GetStatusText(kStatusMessage), ToolInfoOf(ToolId::Line).description);
}

TEST_F(PathTool, TheOverlayFollowsEveryZoomAndScrollOffset) {
    // A corner, a smooth anchor with a horizontal handle line, a curve, and a straight segment C -> D.
    const std::vector<Anchor> path = {
        {100, 100, false}, {400, 100, true, 480, 100}, {400, 300, false}, {200, 300, false}};
    Build(1, path);
    ASSERT_EQ(PathAnchorCount(), 4);
    for (double zoom : {0.125, 1.0, 3.5, 16.0}) {
        SCOPED_TRACE(zoom);
        SetZoom(zoom, nullptr);
        auto z = [](int v) { return PictureToContent(v); };
        const Anchor &a = path[0], &b = path[1], &c = path[2], &d = path[3];
        EXPECT_EQ(ScreenAtContent(z(a.x), z(a.y)), kFirstSquare);
        EXPECT_EQ(ScreenAtContent(z(b.x), z(b.y)), RGB(255, 255, 255));
        EXPECT_EQ(ScreenAtContent(z(b.x) - 3, z(b.y) + 1), RGB(0, 0, 0)) << "the square's outline";
        EXPECT_EQ(ScreenAtContent(z(b.outX), z(b.outY)), kHandleFill);
        EXPECT_EQ(ScreenAtContent(z(b.In().x), z(b.In().y)), kHandleFill);
        EXPECT_EQ(ScreenAtContent((z(b.In().x) + z(b.x)) / 2, z(b.y)), kHandleLine);
        EXPECT_EQ(ScreenAtContent((z(c.x) + z(d.x)) / 2, z(c.y)), kSegment) << "the straight segment";
        // The curve B -> C through 24 pieces of the zoomed control points.
        const POINT zoomed[4] = {{z(b.x), z(b.y)}, {z(b.outX), z(b.outY)}, {z(c.x), z(c.y)}, {z(c.x), z(c.y)}};
        const POINT mid = Bezier(zoomed, 12 / 24.0);
        EXPECT_EQ(ScreenAtContent(mid.x, mid.y), kSegment) << "the curve";
        EXPECT_EQ(ScreenAtContent(z(300), z(200)), RGB(255, 255, 255)) << "inside the path: the picture";
    }
    // Without a button the rubber band follows the pointer, dotted.
    SetZoom(1, nullptr);
    g_view.scrollX = g_view.scrollY = 0;
    CanvasMove(200, 420, 0);
    int dots = 0, gaps = 0;
    for (int y = 310; y < 420; ++y)
        (Screen(200, y) == kSegment ? dots : gaps) += 1;
    EXPECT_GT(dots, 20);
    EXPECT_GT(gaps, 20);
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0) << "the overlay never touches the picture";
}

TEST_F(PathTool, ARightButtonStrokeEqualsTheSamePiecesDrawnByTheTest) {
    g_colors.background = RGB(0, 0, 255);
    g_tools.lineWidth = 5;
    // The last anchor 5 px from the first: the stroke closes the triangle although the path is open.
    const std::vector<Anchor> path = {{100, 100, false}, {300, 120, true, 360, 60}, {104, 103, false}};
    Build(2, path);
    ASSERT_EQ(PathAnchorCount(), 3);
    const size_t depth = Depth();
    Key(VK_RETURN, kShift);
    EXPECT_EQ(PathAnchorCount(), 0);
    EXPECT_EQ(Depth(), depth + 1);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Path stroked with 5px line.");

    CanvasImage own; // a surface of the test's own, drawn on with the test's own calls
    ASSERT_TRUE(MakeCanvasSurface(640, 480, &own));
    HDC dc = own.memDC;
    PatBlt(dc, 0, 0, 640, 480, WHITENESS);
    HPEN pen = CreatePen(PS_SOLID, 5, RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (size_t i = 0; i < path.size(); ++i) {
        const Anchor &a = path[i], &b = path[(i + 1) % path.size()];
        POINT p[4];
        Controls(a, b, p);
        if (!a.curved && !b.curved) {
            MoveToEx(dc, a.x, a.y, nullptr);
            LineTo(dc, b.x, b.y);
            continue;
        }
        std::vector<POINT> pts = {p[0]};
        for (int j = 1; j <= 32; ++j)
            pts.push_back(Bezier(p, j / 32.0));
        Polyline(dc, pts.data(), static_cast<int>(pts.size()));
    }
    GdiFlush();
    const PixelView expected{own.pixels, 640, 480};
    int differ = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            differ += (ReadPixel(expected, x, y) & 0xFFFFFF) != PictureRgb(x, y);
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(PictureRgb(102, 101), kBlue) << "the closing segment is there";
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    FreeCanvasSurface(own);

    Post(g_app.main, WM_COMMAND, 201);
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0) << "one Undo takes the whole stroke back";
}

TEST_F(PathTool, EveryWayToAnActionRunsItAndEndsADragItArrivesIn) {
    enum Result { kSelection, kStroke, kMosaic, kCleared };
    auto toolBox = [](int y) {
        return [y] {
            Post(g_app.toolBox, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(28, y));
            Post(g_app.toolBox, WM_LBUTTONUP, 0, MAKELPARAM(28, y));
        };
    };
    const struct {
        const char* name;
        int mode; // pathMode before the action
        std::function<void()> act;
        Result result;
    } cases[] = {
        {"Enter, Select mode", 0, [] { Key(VK_RETURN); }, kSelection},
        {"Enter, Stroke mode", 1, [] { Key(VK_RETURN); }, kStroke},
        {"Enter, Mosaic mode", 2, [] { Key(VK_RETURN); }, kMosaic},
        {"Ctrl+Enter, Clear mode", 3, [] { Key(VK_RETURN, kCtrl); }, kCleared},
        {"Shift+Enter", 0, [] { Key(VK_RETURN, kShift); }, kStroke},
        {"Ctrl+1", 2, [] { Key('1', kCtrl); }, kSelection},
        {"Ctrl+2", 0, [] { Key('2', kCtrl); }, kStroke},
        {"Ctrl+3", 0, [] { Key('3', kCtrl); }, kMosaic},
        {"Ctrl+4", 0, [] { Key('4', kCtrl); }, kCleared},
        {"[Select]", 1, toolBox(240), kSelection},
        {"[Stroke]", 0, toolBox(258), kStroke},
        {"[Mosaic]", 0, toolBox(274), kMosaic},
        {"[Clear]", 0, toolBox(290), kCleared},
        {"command 211", 1, [] { Post(g_app.main, WM_COMMAND, 211); }, kSelection},
        {"command 212", 0, [] { Post(g_app.main, WM_COMMAND, 212); }, kStroke},
    };
    for (const auto& c : cases) {
        for (bool held : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (held ? ", button held" : ""));
            FreshWhitePicture();
            PaintPattern();
            DropSelection(false);
            SetTool(ToolId::Path);
            g_tools.pathMode = c.mode;
            Build(1, {{100, 100, false}, {300, 100, false}, {200, 250, false}});
            if (held) CanvasPress(1, 150, 300); // a fourth anchor, its drag still going on
            const size_t depth = Depth();
            c.act();
            EXPECT_EQ(PathAnchorCount(), 0);
            EXPECT_NE(GetCapture(), g_app.canvas) << "the action ended the drag";
            const std::wstring status = GetStatusText(kStatusMessage);
            switch (c.result) {
            case kSelection:
                EXPECT_TRUE(HasSelection() && g_selection.lifted);
                EXPECT_EQ(g_tools.currentTool, ToolId::FreeFormSelect);
                break;
            case kStroke: EXPECT_EQ(status, L"Path stroked with 5px line."); break;
            case kMosaic: EXPECT_EQ(status, L"Path mosaic applied (8 px block size)."); break;
            case kCleared: EXPECT_EQ(status, L"Path cleared."); break;
            }
            EXPECT_EQ(Depth(), depth + (c.result == kCleared ? 0 : 1));
            if (held) {
                CanvasMove(250, 350, MK_LBUTTON);
                CanvasRelease(1, 250, 350);
                EXPECT_EQ(PathAnchorCount(), 0) << "the release after the action adds nothing";
            }
        }
    }
}

TEST_F(PathTool, TwoAnchorsStrokeOneLineButMakeNoSelectionOrMosaic) {
    Click(1, 100, 400);
    Click(1, 300, 400);
    const size_t depth = Depth();
    SetStatusText(kStatusMessage, L"before");
    Key(VK_RETURN);  // Select mode: a polygon of two vertices encloses nothing
    Key('M', kCtrl); // the path mosaic
    Post(g_app.main, WM_COMMAND, 211);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(PathAnchorCount(), 2) << "the path stays";
    EXPECT_EQ(Depth(), depth);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"before") << "silently";
    EXPECT_EQ(CountPixelsOtherThan(0xFFFFFF), 0);
    Post(g_app.main, WM_COMMAND, 212);
    EXPECT_EQ(PictureRgb(200, 400), 0xFF0000u) << "Color 1, the last drag's button";
    EXPECT_EQ(Depth(), depth + 1);
    EXPECT_EQ(PathAnchorCount(), 0);
    // With fewer than 2 anchors each action says why.
    Click(1, 100, 100);
    struct {
        void (*run)();
        const wchar_t* text;
    } refusals[] = {
        {[] { PathMosaic(8); }, L"Path needs at least 2 points to apply mosaic."},
        {[] { PathToSelection(); }, L"Path needs at least 2 points to make selection."},
        {[] { Post(g_app.main, WM_COMMAND, 212); }, L"Path needs at least 2 points to stroke line."},
    };
    for (const auto& r : refusals) {
        SetStatusText(kStatusMessage, L"before");
        r.run();
        EXPECT_EQ(GetStatusText(kStatusMessage), r.text);
        EXPECT_EQ(PathAnchorCount(), 1);
    }
    EXPECT_EQ(Depth(), depth + 1);
}

TEST_F(PathTool, ThePathMosaicEqualsAPlainMosaicOverTheSystemsPolygonRegion) {
    PaintPattern();
    const std::vector<Anchor> path = {
        {100, 100, false}, {300, 80, true, 380, 150}, {250, 300, false}, {120, 250, true, 60, 200}};
    Build(1, path);
    std::vector<uint32_t> expected(g_canvas.pixels, g_canvas.pixels + 640 * 480);
    const Region r = SystemRegion(Polygon(path));
    const PixelView v{expected.data(), 640, 480};
    const int n = g_tools.mosaicBlockSize;
    for (int by = r.top; by < r.bottom; by += n)
        for (int bx = r.left; bx < r.right; bx += n) {
            uint64_t sum[3] = {}, k = 0;
            for (int y = by; y < std::min(by + n, r.bottom); ++y)
                for (int x = bx; x < std::min(bx + n, r.right); ++x)
                    if (r.Inside(x, y)) {
                        const uint32_t p = ReadPixel(v, x, y);
                        sum[0] += p >> 16 & 0xFF, sum[1] += p >> 8 & 0xFF, sum[2] += p & 0xFF, ++k;
                    }
            for (int y = by; y < std::min(by + n, r.bottom); ++y)
                for (int x = bx; x < std::min(bx + n, r.right); ++x)
                    if (r.Inside(x, y))
                        WritePixel(v, x, y,
                                   0xFF000000u | static_cast<uint32_t>(sum[0] / k) << 16 |
                                       static_cast<uint32_t>(sum[1] / k) << 8 | static_cast<uint32_t>(sum[2] / k));
        }
    const size_t depth = Depth();
    g_document.modified = false;
    Key('M', kCtrl);
    EXPECT_EQ(Depth(), depth + 1);
    EXPECT_EQ(PathAnchorCount(), 0);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Path mosaic applied (8 px block size).");
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
    int differ = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            differ += PictureAt(x, y) != ReadPixel(v, x, y);
    EXPECT_EQ(differ, 0);
    EXPECT_NE(PictureAt(250, 150), Pattern(250, 150)) << "deep inside: mosaicked";
    EXPECT_EQ(PictureAt(50, 50), Pattern(50, 50)) << "outside: untouched";
}

TEST_F(PathTool, APathPartlyOffThePictureCutsOutAClippedTransparentFreeFormSelection) {
    PaintPattern();
    g_colors.background = RGB(0, 0, 255);
    // The second anchor's handle is pulled off the picture, so the curve after it leaves the picture.
    const std::vector<Anchor> path = {{500, 100, false}, {620, 240, true, 760, 300}, {500, 400, false}};
    Build(1, path);
    const size_t depth = Depth();
    Key(VK_RETURN);
    ASSERT_TRUE(HasSelection());
    EXPECT_EQ(PathAnchorCount(), 0);
    EXPECT_EQ(g_tools.currentTool, ToolId::FreeFormSelect);
    EXPECT_TRUE(g_tools.selectionTransparent);
    EXPECT_TRUE(g_selection.lifted);
    EXPECT_EQ(Depth(), depth + 1) << "the lift's level";
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Free-form selection created from path. (Drag to move or cut/copy)");
    const Region r = SystemRegion(Polygon(path));
    EXPECT_EQ(r.right, 640) << "the test's polygon does leave the picture";
    EXPECT_EQ(g_selection.left, r.left);
    EXPECT_EQ(g_selection.top, r.top);
    EXPECT_EQ(g_selection.right, r.right);
    EXPECT_EQ(g_selection.bottom, r.bottom);
    EXPECT_EQ(g_selection.mask, r.mask) << "the mask is the system's region";
    int wrong = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            wrong += r.Inside(x, y) ? PictureRgb(x, y) != kBlue : PictureAt(x, y) != Pattern(x, y);
    EXPECT_EQ(wrong, 0) << "Color 2 under the area, the picture elsewhere";
    const PixelView image{g_selection.image.pixels, g_selection.width, g_selection.height};
    EXPECT_EQ(ReadPixel(image, 560 - r.left, 240 - r.top), Pattern(560, 240)) << "the floating image";
}

} // namespace
