#include "solver/board.h"

Board board = {};

namespace {

struct SizeInfo {
  int32_t gridSize;
  int32_t boxSize;
  int commandId;
};

constexpr SizeInfo kSizes[] = {
    {9, 3, kCommandNew9},
    {16, 4, kCommandNew16},
    {25, 5, kCommandNew25},
};

}  // namespace

int32_t BoxSizeFor(int32_t gridSize) {
  for (const SizeInfo& size : kSizes) {
    if (size.gridSize == gridSize) return size.boxSize;
  }
  return 0;
}

bool IsGridSize(int32_t gridSize) { return BoxSizeFor(gridSize) != 0; }

void ResetBoard(WindowHandle window) {
  const int32_t n = board.gridSize;
  board.prevCursor = {0, 0};
  board.cursor = {0, 0};
  board.conflictOther = {n, n};
  board.conflictAt = {n, n};
  board.boxSize = BoxSizeFor(n);
  board.boardOffset = ((kMaxGridSize - n) * 20) / 2;
  for (const SizeInfo& size : kSizes) {
    CheckMenuCommand(window, size.commandId, size.gridSize == n);
  }
  ClearAll();
  DrawBoard(window);
}

void ClearAll() {
  board.solutionShown = 0;
  for (int x = 0; x < board.gridSize; ++x) {
    for (int y = 0; y < board.gridSize; ++y) {
      board.given[x][y] = 0;
      board.fixed[x][y] = 0;
      board.shown[x][y] = 0;
    }
  }
}

void ClearWorking() {
  board.solutionShown = 0;
  for (int x = 0; x < board.gridSize; ++x) {
    for (int y = 0; y < board.gridSize; ++y) {
      if (board.given[x][y] != 0) continue;
      board.fixed[x][y] = 0;
      board.shown[x][y] = 0;
    }
  }
}
