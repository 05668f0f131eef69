// The dispatch of WM_COMMAND: one table per hundred, each row an identifier with the strength of the settle step
// that runs before it and the subsystem function that carries it out.
#pragma once
#include "shell/command_ids.h"
#include "tools/pending_edits.h"

// Carries out a menu or keyboard command; false when the identifier is not a command.
bool DispatchCommand(int id);
// What the settle step does before the command; Settle::None also for an identifier that is not a command.
Settle CommandSettleStrength(int id);
