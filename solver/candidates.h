// The candidate table (board.eliminated) and the placement of proved digits.
// Run on the solve worker as steps of the propagation.
#pragma once

#include "solver/window_hooks.h"

// Rebuilds board.eliminated from the fixed layer alone: an empty cell keeps
// the digits found nowhere in its row, column and box; a fixed cell keeps none.
void InitCandidates();

// Places a proved digit v in the empty cell (x, y): fixed and shown take it,
// v leaves every peer's candidates and the cell loses all of its own. Draws the
// cell when the progress display is on. Always returns true.
bool PlaceDigit(WindowHandle window, int x, int y, int v);
