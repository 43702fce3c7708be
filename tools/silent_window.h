// Window hooks for running the solver without a window: nothing is drawn and
// no message box is shown; the last result message is kept for the caller.
#pragma once

#include "solver/window_hooks.h"

// The result message the last solve would have shown, if any; clears it.
bool TakeResultMessage(ResultMessage* message);
