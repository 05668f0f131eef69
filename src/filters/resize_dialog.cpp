#include "filters/resize_dialog.h"

#include <string>

#include "document/canvas_image.h"
#include "filters/resize_core.h"
#include "filters/transforms.h"
#include "shell/dialog_frame.h"
#include "tools/selection.h"

namespace {

struct ResizeRecord {
    bool open;
    int baseWidth, baseHeight; // the selection's or the picture's size at opening, what percentages refer to
    bool pixelsMode;           // the edits hold pixels, else percentages
    bool updating;             // the dialog itself writes an edit: its change notification is not the user's
};

int64_t ReadEntry(HWND dialog, int id) {
    wchar_t text[32] = {}; // up to 31 characters count
    GetDlgItemTextW(dialog, id, text, 32);
    return ReadSizeEntry(text);
}

void WriteEntries(HWND dialog, ResizeRecord& r, int64_t horizontal, int64_t vertical) {
    r.updating = true;
    SetDlgItemTextW(dialog, kResizeHorizontalId, std::to_wstring(horizontal).c_str());
    SetDlgItemTextW(dialog, kResizeVerticalId, std::to_wstring(vertical).c_str());
    r.updating = false;
}

void SwitchUnits(HWND dialog, ResizeRecord& r, bool pixels) {
    if (r.pixelsMode == pixels) return;
    r.pixelsMode = pixels;
    const wchar_t* unit = pixels ? L"px" : L"%";
    SetDlgItemTextW(dialog, kResizeHorizontalUnitId, unit);
    SetDlgItemTextW(dialog, kResizeVerticalUnitId, unit);
    if (pixels)
        WriteEntries(dialog, r, r.baseWidth, r.baseHeight);
    else
        WriteEntries(dialog, r, 100, 100);
}

// Only the horizontal edit leads: typing the vertical value never changes the horizontal one.
void FollowHorizontal(HWND dialog, ResizeRecord& r) {
    if (r.updating || IsDlgButtonChecked(dialog, kResizeAspectId) != BST_CHECKED) return;
    const int64_t v = ReadEntry(dialog, kResizeHorizontalId);
    if (v < 1) return;
    r.updating = true;
    SetDlgItemTextW(dialog, kResizeVerticalId,
                    std::to_wstring(FollowAspect(v, r.pixelsMode, r.baseWidth, r.baseHeight)).c_str());
    r.updating = false;
}

void OnOk(HWND dialog, const ResizeRecord& r) {
    const RequestedSize size =
        ResizeTarget(ReadEntry(dialog, kResizeHorizontalId), ReadEntry(dialog, kResizeVerticalId), r.pixelsMode,
                     r.baseWidth, r.baseHeight);
    if (HasSelection())
        ScaleSelectionImage(size.width, size.height);
    else
        StretchPicture(size.width, size.height);
}

void OnCommand(HWND dialog, int id, int code) {
    if (id == IDCANCEL) return CloseDialog(dialog);
    // Before the modal loop attaches the record, notifications of the controls being filled are not the user's.
    ResizeRecord* r = DialogRecord<ResizeRecord>(dialog);
    if (!r) return;
    if (id == IDOK) {
        OnOk(dialog, *r);
        CloseDialog(dialog);
    } else if (id == kResizePercentId && code == BN_CLICKED) {
        SwitchUnits(dialog, *r, false);
    } else if (id == kResizePixelsId && code == BN_CLICKED) {
        SwitchUnits(dialog, *r, true);
    } else if (id == kResizeHorizontalId && code == EN_CHANGE) {
        FollowHorizontal(dialog, *r);
    }
}

LRESULT CALLBACK StretchSkewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CLOSE: CloseDialog(hwnd); return 0;
    case WM_DESTROY: OnDialogDestroyed(hwnd); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// Returns the horizontal edit, which has the focus first.
HWND AddControls(HWND d) {
    AddDialogControl(d, DialogControl::GroupBox, L"Resize", 15, 10, 280, 180);
    AddDialogControl(d, DialogControl::FirstRadio, L"Percentage", 30, 35, 110, 20, kResizePercentId);
    AddDialogControl(d, DialogControl::Radio, L"Pixels", 150, 35, 100, 20, kResizePixelsId);
    AddDialogControl(d, DialogControl::Label, L"Horizontal:", 30, 68, 80, 20);
    HWND horizontal = AddDialogControl(d, DialogControl::NumberEdit, L"100", 120, 65, 80, 22, kResizeHorizontalId);
    AddDialogControl(d, DialogControl::Label, L"%", 210, 68, 40, 20, kResizeHorizontalUnitId);
    AddDialogControl(d, DialogControl::Label, L"Vertical:", 30, 103, 80, 20);
    AddDialogControl(d, DialogControl::NumberEdit, L"100", 120, 100, 80, 22, kResizeVerticalId);
    AddDialogControl(d, DialogControl::Label, L"%", 210, 103, 40, 20, kResizeVerticalUnitId);
    AddDialogControl(d, DialogControl::CheckBox, L"Maintain aspect ratio", 30, 140, 200, 20, kResizeAspectId);
    AddDialogControl(d, DialogControl::OkButton, L"OK", 70, 205, 75, 25);
    AddDialogControl(d, DialogControl::CancelButton, L"Cancel", 165, 205, 75, 25);
    CheckDlgButton(d, kResizePercentId, BST_CHECKED);
    CheckDlgButton(d, kResizeAspectId, BST_CHECKED);
    SendMessageW(horizontal, EM_SETSEL, 0, -1);
    return horizontal;
}

} // namespace

void OpenResizeDialog(HWND owner) {
    ResizeRecord record{};
    record.baseWidth = HasSelection() ? g_selection.width : g_canvas.width;
    record.baseHeight = HasSelection() ? g_selection.height : g_canvas.height;
    HWND d = CreateDialogWindow(kStretchSkewClass, StretchSkewProc, L"Resize and Skew", 320, 280, owner);
    if (!d) return;
    HWND first = AddControls(d);
    RunModalDialog(d, owner, first, record);
}
