// Changing the current tool and its options with all their side effects: tool buttons, tool keys, the bracket
// keys and the option panel all end here.
#pragma once
#include <string>

#include "toolbox/tool_box_core.h"
#include "toolbox/tool_state.h"

// Makes tool current with its side effects: pending edits settled, unfinished shapes forgotten (and the canvas
// repainted, so that no forgotten shape stays drawn), the description shown. Choosing the current tool again
// does nothing.
void SetTool(ToolId tool);
// Commands 505 and 506.
void ChoosePathTool();
void ChooseFuzzySelectTool();
// The bracket keys: steps the current tool's thickness and says the new value in status part 0.
void ChangeThickness(int delta);
// A tool letter or size digit, already upper case; false when it means nothing for the current tool.
bool ToolKey(wchar_t c);
// Ctrl+1 .. Ctrl+9: the current tool's sub-option; false when the digit means nothing for it.
bool ToolCtrlDigit(int d);
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
