// The backtracking search that completes the board in the shown layer. Runs on
// the solve worker after Propagate. With solutionShown == 1 it resumes past the
// solution on screen; the completed boards it accepts come in ascending order
// of the board read in reading order.
#pragma once

#include <cstdint>

#include "solver/window_hooks.h"

// SearchFrom results.
constexpr int kSearchFailed = 0;    // no (further) completed board from here on
constexpr int kSearchFound = 1;     // shown holds a new solution, solutionShown == 1
constexpr int kSearchStopped = -1;  // searchStopped was seen; every level unwinds

// Continues the search at cell (x, y) in reading order (y == N is the position
// behind the last cell).
int SearchFrom(WindowHandle window, int x, int y);

// With the progress display on, a search that runs longer than `firstSeconds`
// draws the digits it holds, then again every `everySeconds`, only where a
// cell's digit changed (the program uses 0.1 s and 0.25 s).
void SetProgressPace(double firstSeconds, double everySeconds);

// Search steps (digits placed) since the last ResetSearchSteps; for statistics.
int64_t SearchSteps();
void ResetSearchSteps();
