// Propagate on a 9x9 board, on digit bitboards: the same rules in the same
// order as the general code, leaving the same fixed digits, the same flags and
// the same placements in the same order. Called by Propagate on the worker.
#pragma once

#include "solver/window_hooks.h"

void Propagate9x9(WindowHandle window);
