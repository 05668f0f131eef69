#include "tools/pending_edits.h"

#include <iterator>

#include "base/ui_thread.h"
#include "tools/selection.h"
#include "tools/text_tool.h"

// In the order a press asks them.
static const PendingEdit* const kEdits[] = {&kTextBoxEdit, &kSelectionEdit};

void SettlePendingEdits(Settle strength) {
    AssertUiThread();
    if (strength == Settle::None) return;
    for (const PendingEdit* e : kEdits)
        if (e->settle) e->settle(strength);
}

void DropPendingEdits() {
    for (const PendingEdit* e : kEdits)
        if (e->drop) e->drop();
}

int PressPendingEdit(bool beforeGrips, const PendingPress& p) {
    for (size_t i = 0; i < std::size(kEdits); ++i)
        if (kEdits[i]->beforeGrips == beforeGrips && kEdits[i]->press && kEdits[i]->press(p))
            return static_cast<int>(i);
    return -1;
}

const PendingEdit& PendingEditAt(int index) { return *kEdits[index]; }

void PaintPendingEdits(HDC buffer, bool belowTool) {
    for (const PendingEdit* e : kEdits)
        if (e->paintBelowTool == belowTool && e->paint) e->paint(buffer);
}

LPCSTR PendingEditCursor(bool beforeGrips, const PendingPress& p) {
    for (const PendingEdit* e : kEdits)
        if (e->beforeGrips == beforeGrips && e->cursor)
            if (LPCSTR c = e->cursor(p, false)) return c;
    return nullptr;
}
