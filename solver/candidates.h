// The candidate table (board.eliminated) and the placement of proved digits.
// Run on the solve worker as steps of the propagation.
#pragma once

#include <cstdint>

#include "solver/board.h"
#include "solver/window_hooks.h"

// Bit masks that mirror board.eliminated, so the rules read a unit at once:
//   candidateMask[x][y]: bit v - 1 set while eliminated[x][y][v] == 0;
//   rowPlaces[y][v], columnPlaces[x][v], boxPlaces[k][v]: the cells of that
//     unit that can still take v, by x, by y, and by place in the box's
//     reading-order walk;
//   rowFilled[y], columnFilled[x]: how many cells of the line are fixed;
//   rowChanges[y], columnChanges[x]: bumped whenever a cell of the line loses
//     a candidate or is fixed, so a rule can tell that a line is as it was.
// The rules keep the table in step through InitCandidates, PlaceDigit and
// RuleOut; code that writes eliminated or fixed directly runs InitCandidates
// before the rules read the table again.
struct CandidateTable {
  uint32_t candidateMask[kMaxGridSize][kMaxGridSize];
  uint32_t rowPlaces[kMaxGridSize][kMaxGridSize + 1];
  uint32_t columnPlaces[kMaxGridSize][kMaxGridSize + 1];
  uint32_t boxPlaces[kMaxGridSize][kMaxGridSize + 1];
  int32_t rowFilled[kMaxGridSize];
  int32_t columnFilled[kMaxGridSize];
  uint64_t rowChanges[kMaxGridSize];
  uint64_t columnChanges[kMaxGridSize];
  // Box number and place in the box's walk of each cell, for the current size.
  uint8_t boxOf[kMaxGridSize][kMaxGridSize];
  uint8_t slotOf[kMaxGridSize][kMaxGridSize];
};

extern CandidateTable candidates;

// Rebuilds board.eliminated from the fixed layer alone: an empty cell keeps
// the digits found nowhere in its row, column and box; a fixed cell keeps none.
void InitCandidates();

// Places a proved digit v in the empty cell (x, y): fixed and shown take it,
// v leaves every peer's candidates and the cell loses all of its own. Draws the
// cell when the progress display is on. Always returns true.
bool PlaceDigit(WindowHandle window, int x, int y, int v);

// Rules digit v out for (x, y).
void RuleOut(int x, int y, int v);
