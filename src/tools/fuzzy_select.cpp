#include "tools/fuzzy_select.h"

// The region search arrives with the selections; until then a click leaves the canvas as it is.
static PressOutcome FuzzyPress(const ToolPointer&) { return PressOutcome::NoRepaint; }

const ToolRow kFuzzySelectRow{.press = FuzzyPress};
