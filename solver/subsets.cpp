#include "solver/subsets.h"

#include "solver/bits.h"
#include "solver/board.h"
#include "solver/candidates.h"

namespace {

// A line is a row or a column; LineCell(line, i) is its i-th cell.
struct Line {
  bool isRow;
  int index;
};

CellPos LineCell(Line line, int i) {
  return line.isRow ? CellPos{i, line.index} : CellPos{line.index, i};
}

// The line's change count when a reference cell last looked at it and found
// nothing to do, by [x][y]. What a line call does depends only on the line,
// so while the count stands the call would find nothing again.
uint64_t rowQuietAt[kMaxGridSize][kMaxGridSize];
uint64_t columnQuietAt[kMaxGridSize][kMaxGridSize];

// The reference cell is the line's cell at position `self`; true when it
// ruled anything out.
bool LineSubsetElimination(Line line, int self, int s) {
  const int n = board.gridSize;
  const int filled =
      line.isRow ? candidates.rowFilled[line.index] : candidates.columnFilled[line.index];
  // Odd as it looks, the rule compares the count of filled cells, not empty
  // ones, with the subset size; a line where they agree is left alone.
  if (filled == s) return false;
  // With no more empty cells than the subset holds, nothing could be left to
  // rule out.
  if (n - filled <= s) return false;

  // The line's masks: a row steps across the [x][y] table, a column runs
  // along it. A fixed cell has no candidates left, so it never matches.
  const int stride = line.isRow ? kMaxGridSize : 1;
  const uint32_t* masks = line.isRow ? &candidates.candidateMask[0][line.index]
                                     : &candidates.candidateMask[line.index][0];
  const uint32_t subset = masks[self * stride];
  uint32_t matches = 0;
  for (int i = 0; i < n; ++i) matches |= uint32_t{masks[i * stride] == subset} << i;
  matches &= ~(uint32_t{1} << self);
  if (CountOf(matches) != s - 1) return false;

  // Ruling out a digit the cell lacks changes nothing, so only the subset's
  // digits the cell still has are visited.
  bool changed = false;
  for (int i = 0; i < n; ++i) {
    if (i == self || (matches >> i & 1) != 0) continue;
    const CellPos cell = LineCell(line, i);
    for (uint32_t digits = subset & masks[i * stride]; digits != 0; digits &= digits - 1) {
      changed = true;
      RuleOut(cell.x, cell.y, __builtin_ctz(digits) + 1);
    }
  }
  return changed;
}

// Runs the line call unless the line is as it was when this reference cell
// last found nothing there.
void CheckLine(Line line, int self, int s, uint64_t changes, uint64_t* quietAt) {
  if (*quietAt == changes) return;
  if (!LineSubsetElimination(line, self, s)) *quietAt = changes;
}

}  // namespace

void RowSubsetElimination(int x, int y, int s) {
  CheckLine({true, y}, x, s, candidates.rowChanges[y], &rowQuietAt[x][y]);
}

void ColumnSubsetElimination(int x, int y, int s) {
  CheckLine({false, x}, y, s, candidates.columnChanges[x], &columnQuietAt[x][y]);
}

void CellSubsetCheck(int x, int y) {
  if (board.fixed[x][y] != 0) return;
  const int s = CountOf(candidates.candidateMask[x][y]);
  if (s == 0 || s == 1 || s == board.boxSize) return;
  RowSubsetElimination(x, y, s);
  ColumnSubsetElimination(x, y, s);
}
