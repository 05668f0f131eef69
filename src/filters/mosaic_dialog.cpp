#include "filters/mosaic_dialog.h"

#include <iterator>
#include <string>

#include "filters/mosaic.h"
#include "filters/mosaic_core.h"
#include "shell/dialog_frame.h"
#include "toolbox/tool_options_core.h"
#include "toolbox/tool_state.h"

namespace {

constexpr int kFallbackSize = 8;

// The size OK applies: the checked preset, or the custom entry when it lies in 2..64, else 8.
int ChosenSize(HWND dialog) {
    for (int i = 0; i < 4; ++i)
        if (IsDlgButtonChecked(dialog, kMosaicFirstPresetId + i) == BST_CHECKED) return kMosaicBlockSizes[i];
    if (IsDlgButtonChecked(dialog, kMosaicCustomId) != BST_CHECKED) return kFallbackSize;
    wchar_t text[16] = {}; // up to 15 characters are read
    GetDlgItemTextW(dialog, kMosaicEditId, text, static_cast<int>(std::size(text)));
    const int64_t v = ParseLeadingDigits(text, kMaxMosaicBlock + 1);
    return v >= kMinMosaicBlock && v <= kMaxMosaicBlock ? static_cast<int>(v) : kFallbackSize;
}

void OnOk(HWND dialog) {
    const int size = ChosenSize(dialog);
    g_tools.mosaicBlockSize = size;
    ApplyMosaic(size);
    CloseDialog(dialog);
}

LRESULT CALLBACK MosaicProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) OnOk(hwnd);
        if (LOWORD(wParam) == IDCANCEL) CloseDialog(hwnd);
        return 0;
    case WM_CLOSE: CloseDialog(hwnd); return 0;
    case WM_DESTROY: OnDialogDestroyed(hwnd); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void OpenMosaicDialog(HWND owner) {
    HWND d = CreateDialogWindow(kMosaicClass, MosaicProc, L"Mosaic", 290, 215, owner);
    if (!d) return;
    // The captions keep their spacing: two blanks after the one-digit sizes, one after the two-digit ones.
    static const wchar_t* const kPresets[] = {L"4 px  (Fine)", L"8 px  (Medium)", L"12 px (Normal)", L"16 px (Large)"};
    AddDialogControl(d, DialogControl::GroupBox, L"Block Size", 12, 10, 175, 160);
    for (int i = 0; i < 4; ++i)
        AddDialogControl(d, i == 0 ? DialogControl::FirstRadio : DialogControl::Radio, kPresets[i], 22, 32 + 25 * i,
                         155, 20, kMosaicFirstPresetId + i);
    AddDialogControl(d, DialogControl::Radio, L"Custom:", 22, 134, 75, 20, kMosaicCustomId);
    const int size = g_tools.mosaicBlockSize;
    int checked = kMosaicCustomId;
    for (int i = 0; i < 4; ++i)
        if (kMosaicBlockSizes[i] == size) checked = kMosaicFirstPresetId + i;
    const std::wstring custom = checked == kMosaicCustomId ? std::to_wstring(size) : L"24";
    AddDialogControl(d, DialogControl::NumberEdit, custom.c_str(), 100, 134, 45, 22, kMosaicEditId);
    AddDialogControl(d, DialogControl::OkButton, L"OK", 198, 18, 70, 23);
    AddDialogControl(d, DialogControl::CancelButton, L"Cancel", 198, 47, 70, 23);
    CheckDlgButton(d, checked, BST_CHECKED);
    SetFocus(GetDlgItem(d, checked));
}
