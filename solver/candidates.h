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
//     a candidate or is fixed, so a rule can tell that a line is as it was;
//   unitChanged: one bit per (digit, unit) place mask, set when the mask
//     loses a place; bit UnitRuleIndex(v, k, kind), kinds box, row, column.
//     Propagation clears a bit when it reads the mask.
// The rules keep the table in step through InitCandidates, PlaceDigit and
// RuleOut; code that writes eliminated or fixed directly runs InitCandidates
// before the rules read the table again. While flagsDeferred is set, those calls keep
// only the masks, and board.eliminated waits for WriteEliminatedFromMasks:
// propagation sets thousands of flags that a mask records as well.
constexpr int kUnitKinds = 3;  // box, row, column, in the order a pass takes them
constexpr int kUnitRules = kMaxGridSize * kMaxGridSize * kUnitKinds;
constexpr int kUnitRuleWords = (kUnitRules + 63) / 64;

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
  int32_t mappedSize;
  uint64_t unitChanged[kUnitRuleWords];
  // Digit and unit of each unit rule by its index, for the current size.
  uint8_t ruleDigit[kUnitRules];
  uint8_t ruleUnit[kUnitRules];
  bool flagsDeferred;
};

// Where the rule of kind (0 box, 1 row, 2 column) for digit v in unit k
// stands in a pass: digits outside, units inside, the three kinds innermost.
inline int UnitRuleIndex(int v, int k, int kind) {
  return ((v - 1) * board.gridSize + k) * kUnitKinds + kind;
}

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

// Sets board.eliminated from the masks, as the deferred calls would have.
void WriteEliminatedFromMasks();

// flagsOfByte.flags[b][i]: the flag of digit 8j + i + 1 for a cell whose mask
// has byte j equal to b (1 where the bit is clear).
struct FlagTable {
  int32_t flags[256][8];
  FlagTable();
};
extern const FlagTable flagsOfByte;
