// The search exactly as first written: reading order, digits ascending, no
// look-ahead. The fast search must give the same outcomes; the equivalence
// test builds a second corvana-solve on this file to compare them.
#include "solver/board.h"
#include "solver/geometry.h"
#include "solver/search.h"

namespace {

int64_t searchSteps = 0;

}  // namespace

int64_t SearchSteps() { return searchSteps; }
void ResetSearchSteps() { searchSteps = 0; }

int SearchFrom(WindowHandle window, int x, int y) {
  if (board.searchStopped.load() != 0) return kSearchStopped;

  const int n = board.gridSize;
  while (y < n && board.fixed[x][y] != 0) {
    const CellPos next = NextCell(x, y);
    x = next.x;
    y = next.y;
  }
  if (y == n) {
    // Resuming: the first completed board reached is the one on screen, so
    // reject it and keep going.
    if (board.solutionShown == 0) {
      board.solutionShown = 1;
      return kSearchFound;
    }
    board.solutionShown = 0;
    return kSearchFailed;
  }

  int first = 1;
  if (board.solutionShown == 1 && board.shown[x][y] != 0) first = board.shown[x][y];

  // Only the peers before (x, y) in reading order are read through shown; the
  // later ones count through eliminated, which holds every fixed digit.
  int32_t used[kMaxGridSize + 1];
  for (int v = 1; v <= n; ++v) used[v] = board.eliminated[x][y][v];
  for (int x2 = 0; x2 < x; ++x2) used[board.shown[x2][y]] = 1;
  for (int y2 = 0; y2 < y; ++y2) used[board.shown[x][y2]] = 1;
  const int nb = board.boxSize;
  const int bx = x / nb * nb;
  const int by = y / nb * nb;
  for (int k = 0; k < (y % nb) * nb; ++k) used[board.shown[bx + k % nb][by + k / nb]] = 1;

  const CellPos next = NextCell(x, y);
  for (int d = first; d <= n; ++d) {
    if (used[d] != 0) continue;
    board.shown[x][y] = d;
    ++searchSteps;
    if (board.showProgress.load() != 0) DrawProgressCell(window, x, y);
    const int result = SearchFrom(window, next.x, next.y);
    if (result != kSearchFailed) return result;
  }
  return kSearchFailed;
}
