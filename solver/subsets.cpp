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

// The line's masks: a row steps across the [x][y] table, a column runs
// along it.
int Stride(Line line) { return line.isRow ? kMaxGridSize : 1; }
const uint32_t* LineMasks(Line line) {
  return line.isRow ? &candidates.candidateMask[0][line.index]
                    : &candidates.candidateMask[line.index][0];
}

// False when no two empty cells of the line have the same two or more
// candidates: then no reference cell of the line has the partners the rule
// asks for. On 9x9 a mask is under 512, so the masks seen fit in 512 bits;
// on the larger boards every line may.
bool MayHoldSubset(Line line) {
  if (board.gridSize != 9) return true;
  const int stride = Stride(line);
  const uint32_t* masks = LineMasks(line);
  uint64_t seen[8] = {};
  for (int i = 0; i < 9; ++i) {
    const uint32_t m = masks[i * stride];
    if (IsSingle(m)) continue;
    const uint64_t bit = uint64_t{1} << (m & 63);
    if ((seen[m >> 6] & bit) != 0) return true;
    seen[m >> 6] |= bit;
  }
  return false;
}

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

  // A fixed cell has no candidates left, so it never matches.
  const int stride = Stride(line);
  const uint32_t* masks = LineMasks(line);
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

// Lines found unable to hold a subset are passed over until a call rules
// something out: a row call changes only its row's cells, but with them
// every column; a column call, every row.
void SubsetPass() {
  const int n = board.gridSize;
  uint32_t rows = 0;
  uint32_t columns = 0;
  for (int i = 0; i < n; ++i) {
    rows |= uint32_t{MayHoldSubset({true, i})} << i;
    columns |= uint32_t{MayHoldSubset({false, i})} << i;
  }
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const uint32_t mask = candidates.candidateMask[x][y];
      // CellSubsetCheck's own early returns, a fixed cell having no candidates.
      if (IsSingle(mask)) continue;
      const int s = CountOf(mask);
      if (s == board.boxSize) continue;
      if ((rows >> y & 1) != 0) {
        const uint64_t before = candidates.rowChanges[y];
        RowSubsetElimination(x, y, s);
        if (candidates.rowChanges[y] != before) columns = ~uint32_t{0};
      }
      if ((columns >> x & 1) != 0) {
        const uint64_t before = candidates.columnChanges[x];
        ColumnSubsetElimination(x, y, s);
        if (candidates.columnChanges[x] != before) rows = ~uint32_t{0};
      }
    }
  }
}
