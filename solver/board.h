// The one puzzle state of the process and the operations that set a board up
// and clear it. The window thread owns the board while no solve worker runs;
// a running worker (worker.h) owns the digit layers, `eliminated` and
// `solutionShown` until it has ended. Only `searchStopped` and `showProgress`
// are shared between the two threads while a worker runs.
#pragma once

#include <atomic>
#include <cstdint>

#include "solver/grid_size.h"
#include "solver/window_hooks.h"

constexpr int32_t kNoCell = 25;  // cursor coordinate meaning "no cell selected"

struct CellPos {
  int32_t x;
  int32_t y;
};

// Every layer is indexed [x][y], x the column and y the row; only the N x N
// area at the top left is in use. A digit is 1..N, 0 is an empty cell.
//   given:  the clues the user typed or loaded (drawn red, the only layer saved)
//   fixed:  clues plus digits proved by propagation (drawn blue)
//   shown:  what each cell shows; the search writes only here (drawn black)
// Invariants: given != 0 implies fixed == shown == given; fixed != 0 implies
// shown == fixed.
// eliminated[x][y][v] == 1 rules digit v (1..N) out for the cell; index 0 is
// never read. A fixed cell has every flag set after InitCandidates/PlaceDigit.
// conflictAt/conflictOther == (N, N) marks no cell.
struct Board {
  int32_t gridSize;
  int32_t boxSize;
  int32_t given[kMaxGridSize][kMaxGridSize];
  int32_t fixed[kMaxGridSize][kMaxGridSize];
  int32_t shown[kMaxGridSize][kMaxGridSize];
  int32_t eliminated[kMaxGridSize][kMaxGridSize][kMaxGridSize + 1];
  CellPos cursor;
  CellPos prevCursor;
  CellPos conflictAt;
  CellPos conflictOther;
  int32_t boardOffset;
  int32_t solutionShown;
  // 1 while no worker runs or the running one has been asked to stop.
  std::atomic<int32_t> searchStopped;
  // Toggled by the window thread while a worker may be drawing. The only
  // field that does not start at 0: the progress display starts on.
  std::atomic<int32_t> showProgress{1};
};

extern Board board;

// Starts an empty board of the current gridSize (which the caller has set to
// 9, 16 or 25): box size, offset, cursor, conflict pair, size check marks,
// empty layers, full redraw.
void ResetBoard(WindowHandle window);

// Empties every cell of the N x N area, clues included.
void ClearAll();

// Empties every cell that holds no clue.
void ClearWorking();
