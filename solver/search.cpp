#include "solver/search.h"

#include <chrono>

#include "solver/board.h"
#include "solver/engine/engine.h"
#include "solver/shown_lock.h"

// What the search accepts is every completion of the board in which no two
// cells of a row, column or box share a digit and every empty cell keeps a
// digit its candidate flags allow; it meets them in ascending order of the
// board read in reading order. Propagation removes only digits no solution
// uses, so these are the solutions of the clues. Instead of walking that
// order cell by cell, the search asks a complete solver for the smallest
// completion (solver/engine/engine.h) and writes its digits into shown (with
// the progress display on, also the digits the solver holds as it goes). That
// solver counts the fixed digits as members of their units, which relies on
// them never clashing: the start command checks the clues, and propagation
// places only digits its cell can take.

namespace {

int64_t searchSteps = 0;

// The candidates and the solutions of the current board, cells in reading
// order (index y * N + x).
uint32_t masks[kMaxGridSize * kMaxGridSize];
uint8_t previous[kMaxGridSize * kMaxGridSize];
uint8_t solution[kMaxGridSize * kMaxGridSize];

// Cells before `start` in reading order keep the digit they show (the worker
// always starts at the first cell, where there are none).
void LoadMasks(int start) {
  const int n = board.gridSize;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int cell = y * n + x;
      uint32_t m = 0;
      const int known = board.fixed[x][y] != 0 ? board.fixed[x][y]
                        : cell < start         ? board.shown[x][y]
                                               : 0;
      if (known > 0 && known <= n) {
        m = uint32_t{1} << (known - 1);
      } else {
        for (int v = 1; v <= n; ++v)
          m |= board.eliminated[x][y][v] == 0 ? uint32_t{1} << (v - 1) : 0;
      }
      masks[cell] = m;
    }
  }
}

// The solution on screen, as the bound the next one must pass. An empty or
// out-of-range search cell (never left by a finished search) counts as 1,
// the digit the cell would start from.
void LoadPrevious() {
  const int n = board.gridSize;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int digit = board.shown[x][y];
      previous[y * n + x] = static_cast<uint8_t>(digit >= 1 && digit <= n ? digit : 1);
    }
  }
}

// The search on screen. The engine does not walk the board cell by cell, so
// instead of each trial the progress display shows what the search holds:
// once it has run for progressFirst, and then every progressEvery, the
// digits it has decided are written into shown and drawn where they differ
// from what the cell shows. A cell the search has left keeps its last digit,
// as a backtracking search leaves it.
using Clock = std::chrono::steady_clock;

Clock::duration progressFirst = std::chrono::milliseconds(100);
Clock::duration progressEvery = std::chrono::milliseconds(250);

// When the search is next drawn; kNotTimed until the display is first seen on.
constexpr Clock::time_point kNotTimed = Clock::time_point::min();
Clock::time_point nextDraw = kNotTimed;
WindowHandle searchWindow = nullptr;

bool DrawDue() {
  if (board.showProgress.load(std::memory_order_relaxed) == 0) return false;
  const Clock::time_point now = Clock::now();
  if (nextDraw == kNotTimed) {
    nextDraw = now + progressFirst;
    return false;
  }
  if (now < nextDraw) return false;
  nextDraw = now + progressEvery;
  return true;
}

void DrawSearch(const uint8_t* digits) {
  std::lock_guard<std::mutex> lock(shownLock);
  const int n = board.gridSize;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int digit = digits[y * n + x];
      if (board.fixed[x][y] != 0 || digit == 0 || digit == board.shown[x][y]) continue;
      board.shown[x][y] = digit;
      DrawProgressCell(searchWindow, x, y);
    }
  }
}

const SearchWatch searchWatch = {DrawDue, DrawSearch};

// Writes the solution's digits in reading order, each drawn as the search
// tries it when the progress display is on. Like every step of the search it
// gives way to a stop request, leaving the digits written so far; false then.
bool ShowSolution(WindowHandle window) {
  std::lock_guard<std::mutex> lock(shownLock);
  const int n = board.gridSize;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      if (board.fixed[x][y] != 0) continue;
      board.shown[x][y] = solution[y * n + x];
      ++searchSteps;
      if (board.showProgress.load() != 0) DrawProgressCell(window, x, y);
      if (board.searchStopped.load() != 0) return false;
    }
  }
  return true;
}

template <int N>
Outcome Run(bool resuming, const EngineContext& context) {
  if (resuming) return NextSolution<N>(masks, previous, context, solution);
  return SmallestSolution<N>(masks, context, solution);
}

}  // namespace

void SetProgressPace(double firstSeconds, double everySeconds) {
  progressFirst =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(firstSeconds));
  progressEvery =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(everySeconds));
}

int64_t SearchSteps() { return searchSteps; }
void ResetSearchSteps() { searchSteps = 0; }

int SearchFrom(WindowHandle window, int x, int y) {
  if (board.searchStopped.load() != 0) return kSearchStopped;
  const int n = board.gridSize;
  LoadMasks(y * n + x);
  const bool resuming = board.solutionShown == 1;
  if (resuming) {
    LoadPrevious();
    // The shown solution is the first completion a resumed search meets; it
    // is passed now, and a stop from here on leaves a fresh start behind.
    board.solutionShown = 0;
  }
  searchWindow = window;
  nextDraw = board.showProgress.load() != 0 ? Clock::now() + progressFirst : kNotTimed;
  const EngineContext context = {&board.searchStopped, &searchSteps, &searchWatch};
  const Outcome outcome =
      ForGridSize(n, [&](auto side) { return Run<decltype(side)::value>(resuming, context); });
  if (outcome == Outcome::kStopped) return kSearchStopped;
  if (outcome == Outcome::kNone) return kSearchFailed;
  if (!ShowSolution(window)) return kSearchStopped;
  board.solutionShown = 1;
  return kSearchFound;
}
