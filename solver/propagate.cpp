#include "solver/propagate.h"

#include "solver/board.h"
#include "solver/candidates.h"
#include "solver/geometry.h"
#include "solver/subsets.h"

namespace {

// The cells of one unit that can still take a digit, in walk order.
struct CellList {
  CellPos cells[kMaxGridSize];
  int m;
};

bool CanTake(CellPos cell, int v) { return board.eliminated[cell.x][cell.y][v] == 0; }

void Collect(CellList* list, CellPos cell, int v) {
  if (CanTake(cell, v)) list->cells[list->m++] = cell;
}

bool AllInColumn(const CellList& list) {
  for (int i = 1; i < list.m; ++i) {
    if (list.cells[i].x != list.cells[0].x) return false;
  }
  return true;
}

bool AllInRow(const CellList& list) {
  for (int i = 1; i < list.m; ++i) {
    if (list.cells[i].y != list.cells[0].y) return false;
  }
  return true;
}

// Hidden single in box k, or pointing: v confined to one line of the box
// leaves the rest of that line.
bool BoxRule(WindowHandle window, int k, int v) {
  const int n = board.gridSize;
  const int nb = board.boxSize;
  const CellPos origin = BoxOrigin(k);
  CellList list = {};
  for (int j = 0; j < n; ++j) Collect(&list, BoxPeer(origin.x, origin.y, j), v);
  if (list.m == 1) return PlaceDigit(window, list.cells[0].x, list.cells[0].y, v);
  if (list.m < 2 || list.m > nb) return false;
  const bool inColumn = AllInColumn(list);
  const bool inRow = AllInRow(list);
  if (inColumn) {
    const int column = list.cells[0].x;
    for (int y = 0; y < n; ++y) {
      if (y < origin.y || y >= origin.y + nb) board.eliminated[column][y][v] = 1;
    }
  }
  if (inRow) {
    const int row = list.cells[0].y;
    for (int x = 0; x < n; ++x) {
      if (x < origin.x || x >= origin.x + nb) board.eliminated[x][row][v] = 1;
    }
  }
  return false;
}

// Hidden single in row k, or claiming: v confined to one box of the row
// leaves the rest of that box.
bool RowRule(WindowHandle window, int k, int v) {
  const int n = board.gridSize;
  const int nb = board.boxSize;
  CellList list = {};
  for (int x = 0; x < n; ++x) Collect(&list, {x, k}, v);
  if (list.m == 1) return PlaceDigit(window, list.cells[0].x, k, v);
  if (list.m < 2 || list.m > nb) return false;
  const int band = list.cells[0].x / nb;
  for (int i = 1; i < list.m; ++i) {
    if (list.cells[i].x / nb != band) return false;
  }
  for (int j = 0; j < n; ++j) {
    const CellPos cell = BoxPeer(band * nb, k, j);
    if (cell.y != k) board.eliminated[cell.x][cell.y][v] = 1;
  }
  return false;
}

// Hidden single in column k; columns have no claiming rule.
bool ColumnRule(WindowHandle window, int k, int v) {
  CellList list = {};
  for (int y = 0; y < board.gridSize; ++y) Collect(&list, {k, y}, v);
  if (list.m == 1) return PlaceDigit(window, k, list.cells[0].y, v);
  return false;
}

bool NakedSingles(WindowHandle window) {
  const int n = board.gridSize;
  bool placed = false;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      int count = 0;
      int last = 0;
      for (int d = 1; d <= n; ++d) {
        if (board.eliminated[x][y][d] == 0) {
          ++count;
          last = d;
        }
      }
      if (count == 1) placed = PlaceDigit(window, x, y, last) || placed;
    }
  }
  return placed;
}

// One pass over every rule; true when it placed a digit.
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
