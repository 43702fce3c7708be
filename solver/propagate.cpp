#include "solver/propagate.h"

#include "solver/bits.h"
#include "solver/board.h"
#include "solver/candidates.h"
#include "solver/geometry.h"
#include "solver/propagate_9x9.h"
#include "solver/subsets.h"

// The rules read a unit's places for a digit as one mask (candidates.h): bit i
// set when the unit's i-th cell (by x in a row, by y in a column, by the
// reading-order walk in a box) can take the digit. A rule that finds 2 to n
// places confined to one line or box rules the digit out elsewhere; those
// eliminations are visited as bits, which leaves the same flags as walking
// every cell, since a cell that already lacks the digit has its flag set.

namespace {

// The box geometry the unit rules use, for the current size: set at the
// start of every propagation, so that no rule divides by the box side.
struct RuleShape {
  int nb;
  uint32_t boxRow;             // places of the first row of a box's walk, and cells
                               // 0 to nb - 1 of a line
  uint32_t boxColumn;          // places of the first column of a box's walk
  int8_t slotX[kMaxGridSize];  // the column and row of place j in a box
  int8_t slotY[kMaxGridSize];
  CellPos origin[kMaxGridSize];  // top-left cell of box k
};

RuleShape shape;

void SetRuleShape() {
  const int nb = board.boxSize;
  shape.nb = nb;
  shape.boxRow = (uint32_t{1} << nb) - 1;
  shape.boxColumn = 0;
  for (int r = 0; r < nb; ++r) shape.boxColumn |= uint32_t{1} << (r * nb);
  for (int j = 0; j < nb * nb; ++j) {
    shape.slotX[j] = static_cast<int8_t>(j % nb);
    shape.slotY[j] = static_cast<int8_t>(j / nb);
    shape.origin[j] = BoxOrigin(j);
  }
}

// The rules act on 2 to nb places confined to one line of a box or to one
// box of a row; places confined that way are never more than nb, so a mask
// with two or more places needs no count.

// Hidden single in box k, or pointing: v confined to one line of the box
// leaves the rest of that line.
bool BoxRule(WindowHandle window, int k, int v) {
  const CellPos origin = shape.origin[k];
  const uint32_t places = candidates.boxPlaces[k][v];
  if (places == 0) return false;
  const int first = LowestIndex(places);
  if (IsSingle(places)) {
    return PlaceDigit(window, origin.x + shape.slotX[first], origin.y + shape.slotY[first], v);
  }
  const int column = shape.slotX[first];
  const int row = shape.slotY[first];
  if ((places & ~(shape.boxColumn << column)) == 0) {
    const int x = origin.x + column;
    uint32_t others = candidates.columnPlaces[x][v] & ~(shape.boxRow << origin.y);
    for (; others != 0; others &= others - 1) RuleOut(x, LowestIndex(others), v);
  }
  if ((places & ~(shape.boxRow << (row * shape.nb))) == 0) {
    const int y = origin.y + row;
    uint32_t others = candidates.rowPlaces[y][v] & ~(shape.boxRow << origin.x);
    for (; others != 0; others &= others - 1) RuleOut(LowestIndex(others), y, v);
  }
  return false;
}

// Hidden single in row k, or claiming: v confined to one box of the row
// leaves the rest of that box.
bool RowRule(WindowHandle window, int k, int v) {
  const uint32_t places = candidates.rowPlaces[k][v];
  if (places == 0) return false;
  if (IsSingle(places)) return PlaceDigit(window, LowestIndex(places), k, v);
  const int nb = shape.nb;
  // The box of the row's first place, and k's row within the box.
  const int box = candidates.boxOf[LowestIndex(places)][k];
  const int band = shape.slotX[box];
  if ((places & ~(shape.boxRow << (band * nb))) != 0) return false;
  const CellPos origin = shape.origin[box];
  uint32_t others = candidates.boxPlaces[box][v] & ~(shape.boxRow << ((k - origin.y) * nb));
  for (; others != 0; others &= others - 1) {
    const int j = LowestIndex(others);
    RuleOut(origin.x + shape.slotX[j], origin.y + shape.slotY[j], v);
  }
  return false;
}

// Hidden single in column k; columns have no claiming rule.
bool ColumnRule(WindowHandle window, int k, int v) {
  const uint32_t places = candidates.columnPlaces[k][v];
  if (places != 0 && IsSingle(places)) return PlaceDigit(window, k, LowestIndex(places), v);
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
// Unit rules whose masks are as they last read them are passed over.
bool Pass(WindowHandle window) {
  const int n = board.gridSize;
  bool placed = false;
  // The unit rules whose place masks lost a place since they last read
  // them, in their order; a rule that changes a mask ahead of it in this
  // pass is met further on, one behind it waits for the next pass. A rule
  // that read the same mask again would do nothing: a single place has been
  // filled (which empties the mask), and what pointing or claiming rules out
  // stays ruled out.
  const int rules = n * n * kUnitKinds;
  for (int base = 0; base < rules; base += 64) {
    uint64_t& word = candidates.unitChanged[base >> 6];
    uint64_t ahead = rules - base >= 64 ? ~uint64_t{0} : (uint64_t{1} << (rules - base)) - 1;
    for (uint64_t bits = word & ahead; bits != 0; bits = word & ahead) {
      const uint64_t bit = bits & (0 - bits);
      word &= ~bit;
      ahead &= ~(bit | (bit - 1));
      const int index = base + __builtin_ctzll(bit);
      const int k = candidates.ruleUnit[index];
      const int v = candidates.ruleDigit[index];
      switch (index % kUnitKinds) {
        case 0:
          placed = BoxRule(window, k, v) || placed;
          break;
        case 1:
          placed = RowRule(window, k, v) || placed;
          break;
        default:
          placed = ColumnRule(window, k, v) || placed;
          break;
      }
    }
  }
  SubsetPass();
  return NakedSingles(window) || placed;
}

// Every candidate a rule takes, and every placement, bumps its row's count.
uint64_t ChangesSoFar() {
  uint64_t sum = 0;
  for (int y = 0; y < board.gridSize; ++y) sum += candidates.rowChanges[y];
  return sum;
}

}  // namespace

// The rules keep their work in the candidate masks; the flags are written
// once, at the end. A pass that changed nothing at all is followed by one
// that finds every rule as it left it and does nothing either, so that
// second idle pass is not run.
void Propagate(WindowHandle window) {
  if (board.gridSize == 9) {
    Propagate9x9(window);
    return;
  }
  candidates.flagsDeferred = true;
  SetRuleShape();
  InitCandidates();
  int idle = 0;
  while (idle < 2) {
    const uint64_t before = ChangesSoFar();
    if (Pass(window)) {
      idle = 0;
    } else if (++idle < 2 && ChangesSoFar() == before) {
      break;
    }
  }
  candidates.flagsDeferred = false;
  WriteEliminatedFromMasks();
}
