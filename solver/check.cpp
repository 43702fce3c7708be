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

}  // namespace

int CheckInput(WindowHandle /*window*/, int x, int y) {
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
