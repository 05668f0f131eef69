#include "toolbox/thickness_dialog.h"

#include <cwchar>
#include <iterator>
#include <string>

#include "shell/dialog_frame.h"
#include "base/app_windows.h"
#include "base/status_text.h"
#include "toolbox/tool_options_core.h"
#include "toolbox/tool_state.h"

namespace {

constexpr int kPresets[8] = {1, 2, 5, 10, 20, 35, 50, 100};

// The thickness a dialog was opened for; the tool may change while it is open, the target does not.
ThicknessTarget TargetOf(HWND dialog) { return static_cast<ThicknessTarget>(GetWindowLongPtrW(dialog, GWLP_USERDATA)); }

const wchar_t* CurrentToolLabel(ToolId tool) {
    switch (tool) {
    case ToolId::Pencil: return L"Current Tool (Pencil)";
    case ToolId::Brush: return L"Current Tool (Brush)";
    case ToolId::Line: return L"Current Tool (Line)";
    case ToolId::Path: return L"Current Tool (Path)";
    default: return L"Current Tool (Shape)";
    }
}

int CurrentThickness(ThicknessTarget target) {
    switch (target) {
    case ThicknessTarget::Brush: return 2 * EffectiveBrushRadius(g_tools);
    case ThicknessTarget::Pencil: return g_tools.pencilWidth;
    default: return g_tools.lineWidth;
    }
}

void SelectEditText(HWND dialog) {
    HWND edit = GetDlgItem(dialog, kThicknessEditId);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
}

void OnOk(HWND dialog) {
    wchar_t buf[32] = {};
    GetDlgItemTextW(dialog, kThicknessEditId, buf, static_cast<int>(std::size(buf)));
    const int64_t v = ParseLeadingDigits(buf, kMaxThickness);
    const bool all = IsDlgButtonChecked(dialog, kThicknessAllToolsId) == BST_CHECKED;
    const ThicknessTarget target = TargetOf(dialog);
    const ThicknessChange c = ApplyThicknessEntry(&g_tools, target, all, v);
    wchar_t text[96];
    if (all)
        swprintf(text, 96, L"All drawing tools thickness set to %dpx.", c.thickness);
    else if (target == ThicknessTarget::Brush)
        swprintf(text, 96, L"Brush thickness set to %dpx (radius: %dpx).", c.thickness, c.radius);
    else if (target == ThicknessTarget::Pencil)
        swprintf(text, 96, L"Pencil thickness set to %dpx.", c.thickness);
    else
        swprintf(text, 96, L"Line/Pen/Shape thickness set to %dpx.", c.thickness);
    SetStatusText(kStatusMessage, text);
    if (g_app.toolBox) InvalidateRect(g_app.toolBox, nullptr, TRUE);
    if (g_app.canvas) InvalidateRect(g_app.canvas, nullptr, FALSE);
    DestroyWindow(dialog);
}

void OnCommand(HWND dialog, int id) {
    if (id == IDOK) {
        OnOk(dialog);
    } else if (id == IDCANCEL) {
        DestroyWindow(dialog);
    } else if (id >= kThicknessFirstPresetId && id < kThicknessFirstPresetId + 8) {
        SetDlgItemInt(dialog, kThicknessEditId, static_cast<UINT>(kPresets[id - kThicknessFirstPresetId]), FALSE);
        SelectEditText(dialog);
    }
}

LRESULT CALLBACK ThicknessProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wParam)); return 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: OnDialogDestroyed(hwnd); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void AddControls(HWND d, ToolId tool, int thickness) {
    AddDialogControl(d, DialogControl::GroupBox, L"Stroke Thickness (1 ~ 500 px)", 12, 10, 220, 115);
    AddDialogControl(d, DialogControl::Label, L"Thickness:", 22, 32, 65, 20);
    AddDialogControl(d, DialogControl::NumberEdit, std::to_wstring(thickness).c_str(), 90, 30, 55, 22,
                     kThicknessEditId);
    AddDialogControl(d, DialogControl::Label, L"pixels (px)", 150, 32, 75, 20);
    AddDialogControl(d, DialogControl::Label, L"Presets:", 22, 58, 60, 16);
    for (int i = 0; i < 8; ++i)
        AddDialogControl(d, DialogControl::Button, std::to_wstring(kPresets[i]).c_str(), 22 + 48 * (i % 4),
                         76 + 22 * (i / 4), 44, 20, kThicknessFirstPresetId + i);
    AddDialogControl(d, DialogControl::GroupBox, L"Apply To", 12, 132, 220, 72);
    AddDialogControl(d, DialogControl::FirstRadio, CurrentToolLabel(tool), 22, 150, 200, 20, kThicknessCurrentToolId);
    AddDialogControl(d, DialogControl::Radio, L"All Drawing Tools", 22, 174, 200, 20, kThicknessAllToolsId);
    AddDialogControl(d, DialogControl::OkButton, L"OK", 245, 18, 72, 24);
    AddDialogControl(d, DialogControl::CancelButton, L"Cancel", 245, 48, 72, 24);
    CheckDlgButton(d, kThicknessCurrentToolId, BST_CHECKED);
}

} // namespace

void OpenThicknessDialog(HWND owner) {
    HWND d = CreateDialogWindow(kThicknessClass, ThicknessProc, L"Custom Brush / Pen Thickness", 340, 250, owner);
    if (!d) return;
    const ThicknessTarget target = ThicknessTargetOf(g_tools.currentTool);
    SetWindowLongPtrW(d, GWLP_USERDATA, static_cast<LONG_PTR>(target));
    AddControls(d, g_tools.currentTool, CurrentThickness(target));
    SelectEditText(d);
}
