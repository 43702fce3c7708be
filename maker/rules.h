// The program's five logical rules (solver/propagate.cpp, solver/subsets.cpp)
// on a board of the maker's own, so that they can be run in part, on many
// boards, and step by step: the same loop, the same order of digits, units
// and cells, and so the same digits placed and candidates ruled out as the
// solve's propagation. For the grades (rate.h) and the explanation
// (explain.h).
#pragma once

#include <cstdint>
#include <vector>

#include "maker/maker.h"

constexpr int kMakerCells = 25 * 25;

// Cells by index y * size + x. cand[c]: bit d - 1 set while digit d may go in
// cell c; 0 for a filled cell. rowPlaces[y][d], columnPlaces[x][d],
// boxPlaces[k][d]: the cells of that unit that can take d, by x, by y, and by
// place in the box's reading-order walk. filledInRow/Column: filled cells.
struct RuleBoard {
  int size;
  int box;
  uint8_t digit[kMakerCells];
  uint32_t cand[kMakerCells];
  uint32_t rowPlaces[25][26];
  uint32_t columnPlaces[25][26];
  uint32_t boxPlaces[25][26];
  uint8_t filledInRow[25];
  uint8_t filledInColumn[25];
  int16_t empty;     // cells still empty
  uint32_t changes;  // candidates ruled out so far, for telling a still pass
};

// Which rules run: singles always (hidden singles in boxes, rows and columns,
// naked singles); kBoxLine adds pointing and claiming; kAll naked subsets.
enum class RuleSet { kSingles, kBoxLine, kAll };

enum class StepRule { kHiddenSingle, kNakedSingle, kPointing, kClaiming, kNakedSubset };

enum class UnitKind { kBox, kRow, kColumn };

// One step that changed the board. A single places `digit` in cells[0];
// pointing and claiming rule `digit` out of `cells`; a subset rules the
// digits of `digits` out of `cells`, the subset being `subset`. `unit` is
// where the rule found it (for a naked single, the cell's box).
struct Step {
  StepRule rule;
  UnitKind unitKind;
  int unit;
  int digit;
  uint32_t digits;
  std::vector<int> cells;
  std::vector<int> subset;
};

// The board of the clues with the candidates InitCandidates leaves.
void LoadRules(const MakerBoard& puzzle, RuleBoard* grid);

// *to becomes a copy of `from`, only as far as from's size uses the arrays.
void CopyRules(const RuleBoard& from, RuleBoard* to);

// Fills `cell` with `digit`, which leaves its peers' candidates.
void PlaceOnBoard(RuleBoard* grid, int cell, int digit);

// Runs passes of `rules` until two in a row place nothing, or the board is
// full, or (with stopAtDeadEnd) a cell or a unit has no room left. Adds each
// step to *steps unless it is null. Returns the number of passes that placed.
int RunRules(RuleBoard* grid, RuleSet rules, bool stopAtDeadEnd, std::vector<Step>* steps);

// The rules as a search settles a node with them: all five, passes until one
// changes nothing. False when the board has come to a dead end.
bool SettleNode(RuleBoard* grid);

// Some empty cell has no candidate, or some digit no place in a unit that
// lacks it.
bool DeadEnd(const RuleBoard& board);

// Two clues of one digit in a unit: the first such pair in reading order of
// the later cell, into *earlier and *later. False when the clues agree.
bool FindClueClash(const MakerBoard& puzzle, int* earlier, int* later);
