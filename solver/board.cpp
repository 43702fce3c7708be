#include "solver/board.h"

// The menu's command ids live with the resource script that builds the menu.
#include "app/resource.h"

Board board = {};

namespace {

// The new-board command of each size; ResetBoard moves the check mark among them.
struct SizeCommand {
  int32_t gridSize;
  int commandId;
};

constexpr SizeCommand kSizeCommands[] = {
    {9, IDM_NEW_9},
    {16, IDM_NEW_16},
    {25, IDM_NEW_25},
};

}  // namespace

void ResetBoard(WindowHandle window) {
  const int32_t n = board.gridSize;
  board.prevCursor = {0, 0};
  board.cursor = {0, 0};
  board.conflictOther = {n, n};
  board.conflictAt = {n, n};
  board.boxSize = BoxSizeFor(n);
  board.boardOffset = ((kMaxGridSize - n) * 20) / 2;
  for (const SizeCommand& size : kSizeCommands) {
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
