// Edits that float above the picture until they are settled: the text box, later the floating selection. The
// canvas asks them first at every press; the one settle step commits them before commands, tool changes and
// saves, each caller with its strength.
#pragma once
#include <windows.h>

#include "document/view_core.h"
#include "toolbox/colors.h"

enum class Settle {
    None,
    Text, // commit the text box
    All,  // also stamp a lifted selection that holds an image, drop any other
};

// A press or move as a pending edit sees it.
struct PendingPress {
    HWND canvas = nullptr;
    MouseButton button = MouseButton::Left;
    POINT client{};
    POINT content{};
    PicturePoint point;
};

struct PendingEdit {
    bool beforeGrips = false;    // asked before the canvas grips (the text box), else after them
    bool paintBelowTool = false; // painted under the tool's overlay (the floating selection), else above it
    // Takes the press and starts its own move or resize when the press hits it; false leaves it to the others.
    bool (*press)(const PendingPress&) = nullptr;
    void (*move)(const PendingPress&) = nullptr;
    void (*release)(const PendingPress&) = nullptr;
    void (*cancel)() = nullptr; // the capture was lost during its move or resize
    // The cursor over p (or, with dragging, for its move in progress); null when it has none to give.
    LPCSTR (*cursor)(const PendingPress& p, bool dragging) = nullptr;
    void (*paint)(HDC buffer) = nullptr; // content coordinates
    void (*settle)(Settle strength) = nullptr;
    void (*drop)() = nullptr; // forgotten without stamping
};

// The one settle step.
void SettlePendingEdits(Settle strength);
// Forgets every pending edit without stamping it (a new document, Undo, Redo).
void DropPendingEdits();

// The edit that takes the press among those before or after the grips, or -1.
int PressPendingEdit(bool beforeGrips, const PendingPress& p);
const PendingEdit& PendingEditAt(int index);
void PaintPendingEdits(HDC buffer, bool belowTool);
// The first cursor the edits before or after the grips give for a pointer at p, or null.
LPCSTR PendingEditCursor(bool beforeGrips, const PendingPress& p);
