// The floating selection.
#pragma once

bool HasSelection();
