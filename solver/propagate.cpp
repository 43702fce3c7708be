#include "solver/propagate.h"

#include "solver/bits.h"
#include "solver/board.h"
#include "solver/candidates.h"
#include "solver/geometry.h"
#include "solver/subsets.h"

// The rules read a unit's places for a digit as one mask (candidates.h): bit i
// set when the unit's i-th cell (by x in a row, by y in a column, by the
// reading-order walk in a box) can take the digit. A rule that finds 2 to n
// places confined to one line or box rules the digit out elsewhere; those
// eliminations are visited as bits, which leaves the same flags as walking
// every cell, since a cell that already lacks the digit has its flag set.

namespace {

uint32_t LowBits(int count) { return (uint32_t{1} << count) - 1; }

// Places i of a box's walk that lie in its column 0: 0, n, 2n, ...
uint32_t BoxColumnPattern(int n) {
  uint32_t pattern = 0;
  for (int r = 0; r < n; ++r) pattern |= uint32_t{1} << (r * n);
  return pattern;
}

// Hidden single in box k, or pointing: v confined to one line of the box
// leaves the rest of that line.
bool BoxRule(WindowHandle window, int k, int v) {
  const int nb = board.boxSize;
  const CellPos origin = BoxOrigin(k);
  const uint32_t places = candidates.boxPlaces[k][v];
  const int m = CountOf(places);
  if (m == 1) {
    const int j = LowestIndex(places);
    return PlaceDigit(window, origin.x + j % nb, origin.y + j / nb, v);
  }
  if (m < 2 || m > nb) return false;
  const int first = LowestIndex(places);
  const int column = first % nb;
  const int row = first / nb;
  const bool inColumn = (places & ~(BoxColumnPattern(nb) << column)) == 0;
  const bool inRow = (places & ~(LowBits(nb) << (row * nb))) == 0;
  if (inColumn) {
    const int x = origin.x + column;
    uint32_t others = candidates.columnPlaces[x][v] & ~(LowBits(nb) << origin.y);
    for (; others != 0; others &= others - 1) RuleOut(x, LowestIndex(others), v);
  }
  if (inRow) {
    const int y = origin.y + row;
    uint32_t others = candidates.rowPlaces[y][v] & ~(LowBits(nb) << origin.x);
    for (; others != 0; others &= others - 1) RuleOut(LowestIndex(others), y, v);
  }
  return false;
}

// Hidden single in row k, or claiming: v confined to one box of the row
// leaves the rest of that box.
bool RowRule(WindowHandle window, int k, int v) {
  const int nb = board.boxSize;
  const uint32_t places = candidates.rowPlaces[k][v];
  const int m = CountOf(places);
  if (m == 1) return PlaceDigit(window, LowestIndex(places), k, v);
  if (m < 2 || m > nb) return false;
  const int band = LowestIndex(places) / nb;
  if ((places & ~(LowBits(nb) << (band * nb))) != 0) return false;
  const int box = k / nb * nb + band;
  const CellPos origin = BoxOrigin(box);
  uint32_t others = candidates.boxPlaces[box][v] & ~(LowBits(nb) << (k % nb * nb));
  for (; others != 0; others &= others - 1) {
    const int j = LowestIndex(others);
    RuleOut(origin.x + j % nb, origin.y + j / nb, v);
  }
  return false;
}

// Hidden single in column k; columns have no claiming rule.
bool ColumnRule(WindowHandle window, int k, int v) {
  const uint32_t places = candidates.columnPlaces[k][v];
  if (CountOf(places) == 1) return PlaceDigit(window, k, LowestIndex(places), v);
  return false;
}

bool NakedSingles(WindowHandle window) {
  const int n = board.gridSize;
  bool placed = false;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const uint32_t mask = candidates.candidateMask[x][y];
      if (mask != 0 && (mask & (mask - 1)) == 0) {
        placed = PlaceDigit(window, x, y, LowestIndex(mask) + 1) || placed;
      }
    }
  }
  return placed;
}

// One pass over every rule, in the order that decides which cells are fixed
// and in which order they appear: digits outside, units inside, and for each
// unit index the box, then the row, then the column. True when it placed.
bool Pass(WindowHandle window) {
  const int n = board.gridSize;
  bool placed = false;
  for (int v = 1; v <= n; ++v) {
    for (int k = 0; k < n; ++k) {
      placed = BoxRule(window, k, v) || placed;
      placed = RowRule(window, k, v) || placed;
      placed = ColumnRule(window, k, v) || placed;
    }
  }
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) CellSubsetCheck(x, y);
  }
  return NakedSingles(window) || placed;
}

}  // namespace

void Propagate(WindowHandle window) {
  InitCandidates();
  int idle = 0;
  while (idle < 2) {
    idle = Pass(window) ? 0 : idle + 1;
  }
}
