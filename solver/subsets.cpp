#include "solver/subsets.h"

#include "solver/board.h"
#include "solver/geometry.h"

namespace {

// A line is a row or a column; LineCell(line, i) is its i-th cell.
struct Line {
  bool isRow;
  int index;
};

CellPos LineCell(Line line, int i) {
  return line.isRow ? CellPos{i, line.index} : CellPos{line.index, i};
}

bool SameCandidates(CellPos a, CellPos b) {
  for (int d = 1; d <= board.gridSize; ++d) {
    if (board.eliminated[a.x][a.y][d] != board.eliminated[b.x][b.y][d]) return false;
  }
  return true;
}

// The reference cell is the line's cell at position `self`.
void LineSubsetElimination(Line line, int self, int s) {
  const int n = board.gridSize;
  int filled = 0;
  for (int i = 0; i < n; ++i) {
    const CellPos cell = LineCell(line, i);
    filled += board.fixed[cell.x][cell.y] != 0;
  }
  // Odd as it looks, the rule compares the count of filled cells, not empty
  // ones, with the subset size; a line where they agree is left alone.
  if (filled == s) return;

  const CellPos ref = LineCell(line, self);
  bool matches[kMaxGridSize] = {};
  int t = 0;
  for (int i = 0; i < n; ++i) {
    const CellPos cell = LineCell(line, i);
    if (i == self || board.fixed[cell.x][cell.y] != 0) continue;
    if (SameCandidates(ref, cell)) {
      matches[i] = true;
      ++t;
    }
  }
  if (t != s - 1) return;

  for (int d = 1; d <= n; ++d) {
    if (board.eliminated[ref.x][ref.y][d] != 0) continue;
    for (int i = 0; i < n; ++i) {
      const CellPos cell = LineCell(line, i);
      if (i == self || matches[i] || board.fixed[cell.x][cell.y] != 0) continue;
      board.eliminated[cell.x][cell.y][d] = 1;
    }
  }
}

}  // namespace

void RowSubsetElimination(int x, int y, int s) { LineSubsetElimination({true, y}, x, s); }

void ColumnSubsetElimination(int x, int y, int s) { LineSubsetElimination({false, x}, y, s); }

void CellSubsetCheck(int x, int y) {
  if (board.fixed[x][y] != 0) return;
  const int s = CandidateCount(x, y);
  if (s == 0 || s == 1 || s == board.boxSize) return;
  RowSubsetElimination(x, y, s);
  ColumnSubsetElimination(x, y, s);
}
