#include "maker/near_solution.h"

#include <initializer_list>

#include "solver/engine/bit_grid.h"
#include "solver/engine/oracle.h"

namespace {

// The cell of each digit in each unit of `grid`: rows, then columns, then
// boxes.
template <int N>
struct DigitPlaces {
  int cellOf[3 * N][N];
};

template <int N>
void IndexGrid(const uint8_t* grid, DigitPlaces<N>* places) {
  using Shape = GridShape<N>;
  for (int c = 0; c < Shape::kCells; ++c) {
    const int y = c / N;
    const int x = c % N;
    const int box = (y / Shape::kBox) * Shape::kBox + x / Shape::kBox;
    const int d = grid[c] - 1;
    places->cellOf[y][d] = c;
    places->cellOf[N + x][d] = c;
    places->cellOf[2 * N + box][d] = c;
  }
}

// Whether the digits a and b of grid can trade places over the cells linked
// to `cell`: each such cell takes the other digit, so every unit that holds
// one of them must hold both, which makes the set the closure of `cell` under
// "the cell of the other digit in each of my units". A solution when every
// cell of the closure allows its new digit.
template <int N>
bool SwapsPair(const uint32_t* masks, const uint8_t* grid, const DigitPlaces<N>& places, int cell,
               int a, int b) {
  using Shape = GridShape<N>;
  int queue[2 * N];
  bool seen[Shape::kCells] = {};
  int count = 0;
  queue[count++] = cell;
  seen[cell] = true;
  for (int head = 0; head < count; ++head) {
    const int c = queue[head];
    const int other = grid[c] == a ? b : a;
    if ((masks[c] & (uint32_t{1} << (other - 1))) == 0) return false;
    const int y = c / N;
    const int x = c % N;
    const int box = (y / Shape::kBox) * Shape::kBox + x / Shape::kBox;
    for (const int unit : {y, N + x, 2 * N + box}) {
      const int next = places.cellOf[unit][other - 1];
      if (!seen[next]) {
        seen[next] = true;
        queue[count++] = next;
      }
    }
  }
  return true;
}

const std::atomic<int32_t> kNeverStop{0};

// Whether a solution within `masks` exists with every cell outside `open`
// held to its digit in grid: a small search, bounded all the same.
template <int N>
bool SolvesWithin(const uint32_t* masks, const uint8_t* grid, const bool* open) {
  using Shape = GridShape<N>;
  static GridState<N> root;
  uint32_t local[Shape::kCells];
  for (int c = 0; c < Shape::kCells; ++c) {
    local[c] = open[c] ? masks[c] : uint32_t{1} << (grid[c] - 1);
  }
  if (!LoadRoot(&root, local)) return false;
  int64_t steps = 0;
  const EngineContext context{&kNeverStop, &steps};
  uint8_t witness[Shape::kCells];
  Query query;
  query.nodeBudget = 2 * Shape::kCells;
  query.preferred = grid;
  return Solve(root, query, context, witness) == Outcome::kFound;
}

// Whether a solution differs from grid only in the band of rows or of
// columns through `cell`, or in both.
template <int N>
bool SolvesInBands(const uint32_t* masks, const uint8_t* grid, int cell) {
  using Shape = GridShape<N>;
  const int band = cell / N / Shape::kBox;
  const int stack = cell % N / Shape::kBox;
  bool open[Shape::kCells];
  for (int step = 0; step < 3; ++step) {
    for (int c = 0; c < Shape::kCells; ++c) {
      const bool inBand = c / N / Shape::kBox == band;
      const bool inStack = c % N / Shape::kBox == stack;
      open[c] = step == 0 ? inBand : step == 1 ? inStack : inBand || inStack;
    }
    if (SolvesWithin<N>(masks, grid, open)) return true;
  }
  return false;
}

}  // namespace

template <int N>
bool FindNearSolution(const uint32_t* masks, const uint8_t* grid, int cell) {
  DigitPlaces<N> places;
  IndexGrid<N>(grid, &places);
  const int a = grid[cell];
  for (int b = 1; b <= N; ++b) {
    if (b != a && SwapsPair<N>(masks, grid, places, cell, a, b)) return true;
  }
  return SolvesInBands<N>(masks, grid, cell);
}

template bool FindNearSolution<9>(const uint32_t*, const uint8_t*, int);
template bool FindNearSolution<16>(const uint32_t*, const uint8_t*, int);
template bool FindNearSolution<25>(const uint32_t*, const uint8_t*, int);
