#include "filters/attributes_dialog.h"

#include <string>

#include "document/canvas_image.h"
#include "filters/resize_core.h"
#include "shell/dialog_frame.h"
#include "toolbox/colors.h"

namespace {

struct AttributesRecord {
    bool open;
};

int64_t ReadEntry(HWND dialog, int id) {
    wchar_t text[32] = {}; // up to 31 characters count
    GetDlgItemTextW(dialog, id, text, 32);
    return ReadSizeEntry(text);
}

// An empty or zero entry keeps the picture as it is; a size past the limit is refused with a message.
void OnOk(HWND dialog) {
    const int64_t w = ReadEntry(dialog, kAttributesWidthId), h = ReadEntry(dialog, kAttributesHeightId);
    if (w < 1 || h < 1) return;
    if (!IsPictureSizeAllowed(w, h)) return ReportResizeFailure(ResizeResult::TooLarge, w, h);
    const ResizeResult r =
        ResizeCanvasImage(static_cast<int>(w), static_cast<int>(h), PixelFromColor(g_colors.background), true);
    ReportResizeFailure(r, w, h);
}

LRESULT CALLBACK AttributesProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return OkCancelDialogMessage(hwnd, msg, wParam, lParam, OnOk);
}

} // namespace

void OpenAttributesDialog(HWND owner) {
    HWND d = CreateDialogWindow(kAttributesClass, AttributesProc, L"Attributes", 280, 160, owner);
    if (!d) return;
    AddDialogControl(d, DialogControl::Label, L"Width (pixels):", 20, 20, 100, 20);
    HWND width = AddDialogControl(d, DialogControl::NumberEdit, std::to_wstring(g_canvas.width).c_str(), 130, 18, 100,
                                  22, kAttributesWidthId);
    AddDialogControl(d, DialogControl::Label, L"Height (pixels):", 20, 50, 100, 20);
    AddDialogControl(d, DialogControl::NumberEdit, std::to_wstring(g_canvas.height).c_str(), 130, 48, 100, 22,
                     kAttributesHeightId);
    AddDialogControl(d, DialogControl::OkButton, L"OK", 50, 90, 75, 25);
    AddDialogControl(d, DialogControl::CancelButton, L"Cancel", 140, 90, 75, 25);
    SendMessageW(width, EM_SETSEL, 0, -1);
    AttributesRecord record{};
    RunModalDialog(d, owner, width, record);
}
