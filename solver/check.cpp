#include "solver/check.h"

#include "solver/board.h"
#include "solver/geometry.h"

namespace {

// The first peer of (x, y) holding d, in the order row peer i, column peer i,
// box peer i for i = 0, 1, ...; false when there is none.
bool FindClash(int x, int y, int d, CellPos* other) {
  for (int i = 0; i < board.gridSize; ++i) {
    if (i != x && board.fixed[i][y] == d) {
      *other = {i, y};
      return true;
    }
    if (i != y && board.fixed[x][i] == d) {
      *other = {x, i};
      return true;
    }
    const CellPos peer = BoxPeer(x, y, i);
    if ((peer.x != x || peer.y != y) && board.fixed[peer.x][peer.y] == d) {
      *other = peer;
      return true;
    }
  }
  return false;
}

// True when some digit stands twice in a row, column or box of the whole
// board: one look at each cell, where the scan below compares each digit with
// its 3N peers. Without such a pair no scanned cell can clash.
bool AnyUnitRepeats() {
  const int n = board.gridSize;
  const int box = board.boxSize;
  uint32_t rows[kMaxGridSize] = {};
  uint32_t columns[kMaxGridSize] = {};
  uint32_t boxes[kMaxGridSize] = {};
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int d = board.fixed[x][y];
      if (d == 0) continue;
      const uint32_t bit = 1u << d;
      uint32_t& inBox = boxes[y / box * box + x / box];
      if (((rows[y] | columns[x] | inBox) & bit) != 0) return true;
      rows[y] |= bit;
      columns[x] |= bit;
      inBox |= bit;
    }
  }
  return false;
}

}  // namespace

int CheckInput(WindowHandle /*window*/, int x, int y) {
  // Only a board with a repeat needs the scan that names the first clash.
  if (!AnyUnitRepeats()) return 1;
  CellPos cell = {x, y};
  while (cell.y < board.gridSize) {
    const int d = board.fixed[cell.x][cell.y];
    CellPos other = {};
    if (d != 0 && FindClash(cell.x, cell.y, d, &other)) {
      board.conflictAt = cell;
      board.conflictOther = other;
      return 0;
    }
    cell = NextCell(cell.x, cell.y);
  }
  return 1;
}
