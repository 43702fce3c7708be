// The solve worker and the commands that start and stop it. All functions but
// SolveWorker run on the window thread. There is never more than one worker,
// and a command that stops the worker waits for it to end before it goes on,
// handling the messages the worker sends to the window meanwhile.
#pragma once

#include <cstdint>

#include "solver/board.h"
#include "solver/window_hooks.h"

// The stop step every board-changing command runs first: searchStopped = 1,
// the start-search item enabled, and a running worker waited for. Returns
// with no worker left, also when a message handled while waiting started one.
// False when the window is closing, also by a close handled while waiting:
// the command must then end at once, without touching the window.
bool StopWorker(WindowHandle window);

// The window's end (its destruction, or a confirmed Exit): from here on no
// worker starts and StopWorker returns false; then the running worker is
// stopped and waited for. BeginSearching, when a new window is made, undoes it.
void EndSearching(WindowHandle window);
void BeginSearching();

// Waits for the running worker to end by itself, without asking it to stop.
// Safe to enter again from a message handled while it waits; a worker that
// such a message starts is not waited for.
void WaitForWorker(WindowHandle window);

// Command 500: a fresh solve, or with a solution on screen the next one.
void StartSearch(WindowHandle window);

// Command 500 with the worker's procedure run to its end on the calling
// thread instead of a worker of its own: the same steps, window calls and
// result, for a caller with no window to keep answering (the command-line
// tool, where a thread per start would cost more than most searches). Only
// searchStopped, set from another thread, ends it early.
void StartSearchInPlace(WindowHandle window);

// Command 501: stops the solve and redraws what it left.
void AbortSearch(WindowHandle window);

// What the board shows, copied whole also while a solve runs: the worker
// writes the shown layer in steps that hold the lock this copy takes, so the
// copy never holds half of one step (solver/shown_lock.h).
void CopyShown(int32_t cells[kMaxGridSize][kMaxGridSize]);

// The worker's own procedure: propagation, search, result.
void SolveWorker(WindowHandle window);
