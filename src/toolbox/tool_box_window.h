// The tool box: the tool buttons and the option panel of the current tool.
#pragma once
#include <windows.h>

#include <string>

#include "toolbox/tool_box_core.h"

constexpr wchar_t kToolBoxClass[] = L"KolvexToolBoxClass";

LRESULT CALLBACK ToolBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Builds the button tooltips again, replacing any existing tooltip window.
void InitToolBox(HWND toolBox);
// The tooltip window of the buttons, or null without the common controls.
HWND ToolBoxToolTip();
// Shows the current tool's description in status part 0.
void ShowToolDescription();
// What follows an option change by a panel click or a sub-option key: the panel's action, the text box
// taking a new background, the status text and the repaints.
struct OptionEffects {
    PanelAction action = PanelAction::None;
    double zoom = 0; // for PanelAction::ZoomTo
    bool textBackgroundChanged = false;
    const std::wstring* status = nullptr; // empty or null for none
    bool repaintToolBox = false;
    bool repaintCanvas = false;
};
void ApplyOptionEffects(const OptionEffects& e);
