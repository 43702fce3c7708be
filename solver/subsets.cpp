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

  const CellPos ref = LineCell(line, self);
  const uint32_t subset = candidates.candidateMask[ref.x][ref.y];
  bool matches[kMaxGridSize] = {};
  int t = 0;
  for (int i = 0; i < n; ++i) {
    // A fixed cell has no candidates left, so it never matches a subset.
    const CellPos cell = LineCell(line, i);
    if (i != self && candidates.candidateMask[cell.x][cell.y] == subset) {
      matches[i] = true;
      ++t;
    }
  }
  if (t != s - 1) return false;

  bool changed = false;
  for (int i = 0; i < n; ++i) {
    const CellPos cell = LineCell(line, i);
    if (i == self || matches[i] || board.fixed[cell.x][cell.y] != 0) continue;
    for (uint32_t digits = subset; digits != 0; digits &= digits - 1) {
      const int d = LowestIndex(digits) + 1;
      changed = changed || (candidates.candidateMask[cell.x][cell.y] >> (d - 1) & 1) != 0;
      RuleOut(cell.x, cell.y, d);
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

// The line call on the reference cell's row and on its column.
void RowSubsetElimination(int x, int y, int s) {
  CheckLine({true, y}, x, s, candidates.rowChanges[y], &rowQuietAt[x][y]);
}

void ColumnSubsetElimination(int x, int y, int s) {
  CheckLine({false, x}, y, s, candidates.columnChanges[x], &columnQuietAt[x][y]);
}

}  // namespace

void CellSubsetCheck(int x, int y) {
  if (board.fixed[x][y] != 0) return;
  const int s = CountOf(candidates.candidateMask[x][y]);
  if (s == 0 || s == 1 || s == board.boxSize) return;
  RowSubsetElimination(x, y, s);
  ColumnSubsetElimination(x, y, s);
}
