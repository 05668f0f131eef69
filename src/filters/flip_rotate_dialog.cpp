#include "filters/flip_rotate_dialog.h"

#include "filters/transforms.h"
#include "shell/dialog_frame.h"

namespace {

struct FlipRotateRecord {
    bool open;
};

void RunChoice(HWND dialog) {
    if (IsDlgButtonChecked(dialog, kFlipVerticalId) == BST_CHECKED) return FlipVertical();
    if (IsDlgButtonChecked(dialog, kRotate90Id) == BST_CHECKED) return (void)Rotate90();
    if (IsDlgButtonChecked(dialog, kRotate180Id) == BST_CHECKED) {
        // Two quarter turns, two levels; after a first turn that failed a second would give 90 degrees.
        if (Rotate90()) (void)Rotate90();
        return;
    }
    FlipHorizontal();
}

LRESULT CALLBACK FlipRotateProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return OkCancelDialogMessage(hwnd, msg, wParam, lParam, RunChoice);
}

} // namespace

void OpenFlipRotateDialog(HWND owner) {
    HWND d = CreateDialogWindow(kFlipRotateClass, FlipRotateProc, L"Flip and Rotate", 260, 195, owner);
    if (!d) return;
    HWND first = AddDialogControl(d, DialogControl::FirstRadio, L"Flip horizontal", 20, 20, 150, 20, kFlipHorizontalId);
    AddDialogControl(d, DialogControl::Radio, L"Flip vertical", 20, 45, 150, 20, kFlipVerticalId);
    AddDialogControl(d, DialogControl::Radio, L"Rotate 90 degrees", 20, 70, 150, 20, kRotate90Id);
    AddDialogControl(d, DialogControl::Radio, L"Rotate 180 degrees", 20, 95, 150, 20, kRotate180Id);
    AddDialogControl(d, DialogControl::OkButton, L"OK", 40, 125, 75, 25);
    AddDialogControl(d, DialogControl::CancelButton, L"Cancel", 130, 125, 75, 25);
    CheckDlgButton(d, kFlipHorizontalId, BST_CHECKED);
    FlipRotateRecord record{};
    RunModalDialog(d, owner, first, record);
}
