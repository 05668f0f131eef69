// What the transformation tests share: a picture of distinct pixels, a model of the expected picture, and the
// three dialogs driven from inside their own modal loops as a user drives them.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "filters/attributes_dialog.h"
#include "filters/flip_rotate_dialog.h"
#include "filters/resize_dialog.h"
#include "support/app_fixture.h"
#include "support/modal_step.h"
#include "tools/selection.h"
#include "toolbox/colors.h"

namespace transform_steps {

constexpr uint32_t kHole = 0xFF0000FFu; // Color 2 of these tests, blue

// Distinct for every point of a picture up to 768 x 768; blue stays within 16..27, so neither a pixel nor its
// inverse is ever Color 2.
inline uint32_t Pattern(int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x & 0xFF) << 16 | static_cast<uint32_t>(y & 0xFF) << 8 |
           static_cast<uint32_t>(16 + (x >> 8) * 3 + (y >> 8));
}

inline void PaintPattern() {
    GdiFlush();
    for (int y = 0; y < g_canvas.height; ++y)
        for (int x = 0; x < g_canvas.width; ++x)
            WritePixel(CanvasPixels(), x, y, Pattern(x, y));
}

// A fresh width x height picture of the pattern with no selection and an empty history, so that each case starts
// alike.
inline void FreshPattern(int width = 640, int height = 480) {
    DropSelection(false);
    ASSERT_TRUE(CreateCanvasImage(width, height, 0xFFFFFFFFu));
    PaintPattern();
    ClearUndoHistory();
}

inline size_t Depth() { return g_undo.undo.size(); }
inline void Escape() { Post(g_app.canvas, WM_KEYDOWN, VK_ESCAPE, 0x00010001); }
inline void Command(int id) { Post(g_app.main, WM_COMMAND, static_cast<WPARAM>(id)); }

// An expected picture, top row first.
struct Expected {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
    static Expected OfPicture() {
        GdiFlush();
        Expected e{g_canvas.width, g_canvas.height, {}};
        for (int y = 0; y < e.height; ++y)
            for (int x = 0; x < e.width; ++x)
                e.px.push_back(ReadPixel(CanvasPixels(), x, y));
        return e;
    }
    uint32_t& At(int x, int y) { return px[static_cast<size_t>(y) * static_cast<size_t>(width) + x]; }
};

// Every pixel of the picture against the expected one; on failure the count and the first that differs.
inline ::testing::AssertionResult PictureIs(Expected& e) {
    if (g_canvas.width != e.width || g_canvas.height != e.height)
        return ::testing::AssertionFailure() << "the picture is " << g_canvas.width << " x " << g_canvas.height
                                             << ", expected " << e.width << " x " << e.height;
    GdiFlush();
    int wrong = 0, fx = 0, fy = 0;
    uint32_t got = 0;
    for (int y = 0; y < e.height; ++y)
        for (int x = 0; x < e.width; ++x) {
            const uint32_t v = ReadPixel(CanvasPixels(), x, y);
            if (v == e.At(x, y)) continue;
            if (wrong++ == 0) fx = x, fy = y, got = v;
        }
    if (wrong == 0) return ::testing::AssertionSuccess();
    std::ostringstream why;
    why << wrong << " pixels differ, the first at " << fx << ", " << fy << ": 0x" << std::hex << got << " instead of 0x"
        << e.At(fx, fy);
    return ::testing::AssertionFailure() << why.str();
}

// What a dialog showed when the step began, and how the run went.
struct DialogSeen {
    bool ran = false;
    bool timedOut = false;
    bool closed = false; // the window was gone when the command returned
    std::wstring caption;
    SIZE size{};
    std::vector<int> checked; // the ids among 101..104 and 201..207 that were checked
    std::wstring edits[2];    // the two edits as they opened
};

inline std::wstring TextOf(HWND dialog, int id) {
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

inline void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

inline void NoteOpening(HWND d, DialogSeen* seen, int edit1, int edit2) {
    seen->caption.resize(64);
    seen->caption.resize(static_cast<size_t>(GetWindowTextW(d, seen->caption.data(), 64)));
    RECT r;
    GetWindowRect(d, &r);
    seen->size = {r.right - r.left, r.bottom - r.top};
    for (int id : {101, 102, 103, 104, 201, 202, 205})
        if (GetDlgItem(d, id) && IsDlgButtonChecked(d, id) == BST_CHECKED) seen->checked.push_back(id);
    if (edit1) seen->edits[0] = TextOf(d, edit1);
    if (edit2) seen->edits[1] = TextOf(d, edit2);
}

// Runs command, whose dialog of class cls gets act(dialog) from inside its loop.
inline DialogSeen RunDialogCommand(int command, const wchar_t* cls, int edit1, int edit2,
                                   const std::function<void(HWND)>& act) {
    DialogSeen seen;
    HWND dialog = nullptr;
    const ModalStepResult r = RunModalStep(
        cls,
        [&](HWND d) {
            dialog = d;
            NoteOpening(d, &seen, edit1, edit2);
            act(d);
        },
        [&] { Command(command); });
    seen.ran = r.stepRan;
    seen.timedOut = r.timedOut;
    seen.closed = dialog && !IsWindow(dialog);
    return seen;
}

// Command 401: the radio button radioId, then OK (or Cancel).
inline DialogSeen FlipRotate(int radioId, bool ok = true) {
    return RunDialogCommand(401, kFlipRotateClass, 0, 0, [&](HWND d) {
        Click(d, radioId);
        Click(d, ok ? IDOK : IDCANCEL);
    });
}

// Command 402: what a user does in the Resize dialog, in this order.
struct ResizeInput {
    bool pixels = false;                 // click "Pixels" first
    bool backToPercent = false;          // then "Percentage" again
    bool uncheckAspect = false;          // clear "Maintain aspect ratio"
    const wchar_t* horizontal = nullptr; // the horizontal entry; null leaves it
    const wchar_t* vertical = nullptr;   // then the vertical entry; null leaves what the aspect box made
    bool ok = true;
};
struct ResizeSeen {
    DialogSeen dialog;
    std::wstring horizontal, vertical; // the entries just before OK
    std::wstring units[2];
};

inline ResizeSeen Resize(const ResizeInput& in) {
    ResizeSeen seen;
    seen.dialog = RunDialogCommand(402, kStretchSkewClass, kResizeHorizontalId, kResizeVerticalId, [&](HWND d) {
        if (in.pixels) Click(d, kResizePixelsId);
        if (in.backToPercent) Click(d, kResizePercentId);
        if (in.uncheckAspect) Click(d, kResizeAspectId);
        if (in.horizontal) SetDlgItemTextW(d, kResizeHorizontalId, in.horizontal);
        if (in.vertical) SetDlgItemTextW(d, kResizeVerticalId, in.vertical);
        seen.horizontal = TextOf(d, kResizeHorizontalId);
        seen.vertical = TextOf(d, kResizeVerticalId);
        seen.units[0] = TextOf(d, kResizeHorizontalUnitId);
        seen.units[1] = TextOf(d, kResizeVerticalUnitId);
        Click(d, in.ok ? IDOK : IDCANCEL);
    });
    return seen;
}

inline ResizeSeen ResizePercent(const wchar_t* percent) { return Resize({.horizontal = percent}); }

// Command 404 with the two entries typed over what it shows, then OK (or Cancel).
inline DialogSeen Attributes(const wchar_t* width, const wchar_t* height, bool ok = true) {
    return RunDialogCommand(404, kAttributesClass, kAttributesWidthId, kAttributesHeightId, [&](HWND d) {
        SetDlgItemTextW(d, kAttributesWidthId, width);
        SetDlgItemTextW(d, kAttributesHeightId, height);
        Click(d, ok ? IDOK : IDCANCEL);
    });
}

class TransformFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        EnlargeMainWindow();
        g_colors.background = RGB(0, 0, 255);
        PaintPattern();
    }
    void TearDown() override {
        g_createDibSection = &CreateDIBSection;
        AppFixture::TearDown();
    }
};

} // namespace transform_steps
