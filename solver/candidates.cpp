#include "solver/candidates.h"

#include "solver/board.h"
#include "solver/geometry.h"

void InitCandidates() {
  const int n = board.gridSize;
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      for (int v = 1; v <= n; ++v) board.eliminated[x][y][v] = 0;
    }
  }
  // An empty peer marks slot 0, which is never read.
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      int32_t* flags = board.eliminated[x][y];
      for (int k = 0; k < n; ++k) {
        flags[board.fixed[k][y]] = 1;
        flags[board.fixed[x][k]] = 1;
        const CellPos peer = BoxPeer(x, y, k);
        flags[board.fixed[peer.x][peer.y]] = 1;
      }
    }
  }
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      if (board.fixed[x][y] == 0) continue;
      for (int v = 1; v <= n; ++v) board.eliminated[x][y][v] = 1;
    }
  }
}

bool PlaceDigit(WindowHandle window, int x, int y, int v) {
  board.fixed[x][y] = v;
  board.shown[x][y] = v;
  for (int k = 0; k < board.gridSize; ++k) {
    board.eliminated[k][y][v] = 1;
    board.eliminated[x][k][v] = 1;
    const CellPos peer = BoxPeer(x, y, k);
    board.eliminated[peer.x][peer.y][v] = 1;
    board.eliminated[x][y][k + 1] = 1;
  }
  if (board.showProgress.load() != 0) DrawCell(window, x, y);
  return true;
}
