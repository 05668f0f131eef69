// The Image menu's commands that the filters carry out.
#pragma once

// Command 406: floating selections stamp or keep the background colour.
void ToggleDrawOpaque();
