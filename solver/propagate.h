// Logical propagation before a search: hidden singles, pointing, claiming,
// naked subsets and naked singles, repeated until two passes in a row place
// nothing. Runs on the solve worker; does not look at searchStopped.
#pragma once

#include "solver/window_hooks.h"

void Propagate(WindowHandle window);
