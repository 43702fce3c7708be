// The input consistency check run before a solve starts, on the window thread.
#pragma once

#include "solver/window_hooks.h"

// Scans the fixed layer in reading order from (x, y). Returns 1 when no scanned
// cell shares its digit with a cell of its row, column or box; otherwise
// records the first clash in conflictAt/conflictOther and returns 0.
int CheckInput(WindowHandle window, int x, int y);
