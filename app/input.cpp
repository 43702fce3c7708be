#include "app/input.h"

#include <cstdio>

#include "app/puzzle_io.h"
#include "app/resource.h"
#include "solver/board.h"
#include "solver/worker.h"
#include "view/board_look.h"

namespace {

bool SolveRunning() { return board.searchStopped.load() == 0; }

bool OnBoard(CellPos cell) {
  return cell.x >= 0 && cell.y >= 0 && cell.x < board.gridSize && cell.y < board.gridSize;
}

// The cell under a client position, or (kNoCell, kNoCell) off the board.
CellPos CellAt(int x, int y) {
  const int first = board.boardOffset + kGridMargin;
  const int last = first + kCellPitch * board.gridSize;
  if (x < first || x >= last || y < first || y >= last) return {kNoCell, kNoCell};
  return {(x - first) / kCellPitch, (y - first) / kCellPitch};
}

// Redraws the cell that lost the selection and the selected one.
void RedrawSelection(HWND window, BOOL erase) {
  if (OnBoard(board.prevCursor)) DrawCell(window, board.prevCursor.x, board.prevCursor.y);
  if (OnBoard(board.cursor)) DrawCell(window, board.cursor.x, board.cursor.y);
  InvalidateRect(window, nullptr, erase);
}

void SetCursorCell(int x, int y, int digit) {
  board.given[x][y] = digit;
  board.fixed[x][y] = digit;
  board.shown[x][y] = digit;
}

void ClearConflict() {
  const int n = board.gridSize;
  board.conflictAt = {n, n};
  board.conflictOther = {n, n};
}

// Left and right walk the board in reading order and wrap at its ends; up and
// down wrap within the column. Without a selected cell the arrows select
// (0, 0), so the cursor is always a board cell or none.
void MoveCursor(UINT key) {
  const int n = board.gridSize;
  if (!OnBoard(board.cursor)) {
    board.cursor = {0, 0};
    return;
  }
  int x = board.cursor.x;
  int y = board.cursor.y;
  if (key == VK_LEFT) --x;
  if (key == VK_UP) --y;
  if (key == VK_RIGHT) ++x;
  if (key == VK_DOWN) ++y;
  if (x == n) {
    x = 0;
    ++y;
  } else if (x < 0) {
    x = n - 1;
    --y;
  }
  if (y == n) {
    y = 0;
  } else if (y < 0) {
    y = n - 1;
  }
  board.cursor = {x, y};
}

// A second digit key makes a two-digit number where the board allows it:
// on 16 x 16, 1 then 6 is 16, 1 then 7 is 7.
void TypeDigit(int digit) {
  const CellPos at = board.cursor;
  board.solutionShown = 0;
  int value = digit + 10 * (board.given[at.x][at.y] % 10);
  if (value > board.gridSize) value %= 10;
  SetCursorCell(at.x, at.y, value);
  ClearConflict();
}

int DigitOfKey(UINT key) {
  if (key >= '0' && key <= '9') return static_cast<int>(key - '0');
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<int>(key - VK_NUMPAD0);
  return -1;
}

void SelectCellAt(HWND window, int x, int y) {
  board.prevCursor = board.cursor;
  board.cursor = CellAt(x, y);
  RedrawSelection(window, FALSE);
}

// n sub-menus of n digits each (" 1- 3", " 4- 6", ...), then "Cancel". The
// digits are full-width figures.
void ShowDigitMenu(HWND window, POINT screen) {
  static const char* const kFullWidthFigures[] = {"０", "１", "２", "３", "４",
                                                  "５", "６", "７", "８", "９"};
  const int n = board.boxSize;
  HMENU top = CreatePopupMenu();
  HMENU groups[5] = {};
  for (int k = 0; k < n; ++k) {
    groups[k] = CreatePopupMenu();
    char label[16];
    std::snprintf(label, sizeof label, "%2d-%2d", k * n + 1, (k + 1) * n);
    AppendMenuA(top, MF_POPUP, reinterpret_cast<UINT_PTR>(groups[k]), label);
    for (int d = k * n + 1; d <= (k + 1) * n; ++d) {
      char text[16];
      if (d < 10) {
        std::snprintf(text, sizeof text, "%s", kFullWidthFigures[d]);
      } else {
        std::snprintf(text, sizeof text, "%s%s", kFullWidthFigures[d / 10],
                      kFullWidthFigures[d % 10]);
      }
      AppendMenuA(groups[k], MF_STRING, IDM_DIGIT_BASE + d, text);
    }
  }
  AppendMenuA(top, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(top, MF_STRING, IDM_CLEAR_CELL, "Cancel");
  TrackPopupMenu(top, 0, screen.x, screen.y, 0, window, nullptr);
  // The sub-menus are destroyed first, then the top level, which no longer
  // owns them once they are gone.
  for (int k = 0; k < n; ++k) {
    RemoveMenu(top, 0, MF_BYPOSITION);
    DestroyMenu(groups[k]);
  }
  DestroyMenu(top);
}

}  // namespace

void HandleKey(HWND window, UINT key, BOOL, int, UINT) {
  // Paste stops a running solve like any command that changes the board, and
  // copy takes what is on the board, so both come before the solve's guard.
  if (HandlePuzzleKey(window, key)) return;
  if (SolveRunning()) return;
  board.prevCursor = board.cursor;
  const int digit = DigitOfKey(key);
  if (key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN) {
    MoveCursor(key);
  } else if (digit >= 0 && OnBoard(board.cursor)) {
    TypeDigit(digit);
  } else if (key == VK_SPACE && OnBoard(board.cursor)) {
    board.solutionShown = 0;
    SetCursorCell(board.cursor.x, board.cursor.y, 0);
    ClearConflict();
  }
  RedrawSelection(window, FALSE);
}

void OnLeftButton(HWND window, int x, int y) {
  if (SolveRunning()) return;
  SelectCellAt(window, x, y);
}

void OnRightButton(HWND window, int x, int y) {
  if (SolveRunning()) return;
  POINT screen = {x, y};
  ClientToScreen(window, &screen);
  if (!OnBoard(CellAt(x, y))) return;
  SelectCellAt(window, x, y);
  ShowDigitMenu(window, screen);
}

void EnterDigitCommand(HWND window, int digit) {
  if (!OnBoard(board.cursor)) return;
  if (!StopWorker(window)) return;
  board.solutionShown = 0;
  SetCursorCell(board.cursor.x, board.cursor.y, digit);
  RedrawSelection(window, FALSE);
}

void ClearCellCommand(HWND window) {
  if (!StopWorker(window)) return;
  if (!OnBoard(board.cursor)) return;
  board.solutionShown = 0;
  SetCursorCell(board.cursor.x, board.cursor.y, 0);
  DrawCell(window, board.cursor.x, board.cursor.y);
  InvalidateRect(window, nullptr, TRUE);
}
