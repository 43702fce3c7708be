// Cell walks shared by the solver rules. A box is walked in reading order: its
// j-th cell is (x0 + j mod n, y0 + j div n) from its top-left cell (x0, y0).
#pragma once

#include "solver/board.h"

// The j-th cell of the box that holds (x, y).
inline CellPos BoxPeer(int x, int y, int j) {
  const int n = board.boxSize;
  return {x / n * n + j % n, y / n * n + j / n};
}

// Top-left cell of box k (boxes numbered in reading order).
inline CellPos BoxOrigin(int k) {
  const int n = board.boxSize;
  return {k % n * n, k / n * n};
}

// The cell after (x, y) in reading order; (0, N) is behind the last cell.
inline CellPos NextCell(int x, int y) {
  const int next = x + 1;
  return {next % board.gridSize, y + next / board.gridSize};
}
