#include "maker/generate.h"

#include <atomic>
#include <cstdint>

#include "maker/near_solution.h"
#include "solver/engine/clause_search.h"
#include "solver/engine/engine.h"
#include "solver/engine/oracle.h"
#include "solver/grid_size.h"

namespace {

// Nodes the oracle may spend on one question on 16x16 and 25x25 before the
// clause search takes it over; a fill that runs longer starts again. On
// 25x25 the second solutions close to the grid are found by
// FindNearSolution first; of the rest, thousands of oracle nodes found about
// two in three at some 70 ms each and spent as long failing on the others,
// which the clause search, led by the grid's digits as well, finds in a few
// hundredths of a second, so the oracle only gets a glance there.
template <int N>
constexpr int64_t kOracleBudget = N == 25 ? 60 : 2 * GridShape<N>::kCells;
template <int N>
constexpr int64_t kFillBudget = 40 * GridShape<N>::kCells;

const std::atomic<int32_t> kNeverStop{0};

enum class Answer { kNo, kYes, kUnknown };

// Whether any solution lies within `masks`. Both searches try the digits of
// `near` first: a second solution of a puzzle that lost a needed clue mostly
// differs from the first in a few cells.
template <int N>
Answer HasSolution(const uint32_t* masks, const uint8_t* near) {
  static GridState<N> root;
  int64_t steps = 0;
  const EngineContext context{&kNeverStop, &steps};
  uint8_t witness[GridShape<N>::kCells];
  if (!LoadRoot(&root, masks)) return Answer::kNo;
  Query query;
  query.nodeBudget = N == 9 ? 0 : kOracleBudget<N>;
  query.preferred = near;
  Outcome outcome = Solve(root, query, context, witness);
  if constexpr (N != 9) {
    if (outcome == Outcome::kOverBudget) {
      outcome = FindAny<N>(masks, near, context, 0, witness);
    }
  }
  switch (outcome) {
    case Outcome::kNone:
      return Answer::kNo;
    case Outcome::kFound:
    case Outcome::kSeveral:
      return Answer::kYes;
    default:
      return Answer::kUnknown;
  }
}

// A random solution grid: the boxes on the diagonal, which share no unit,
// take random orders of the digits; the engine fills the rest trying a
// random digit first in every cell.
template <int N>
void FillGrid(MakerRandom* random, uint8_t* grid) {
  using Shape = GridShape<N>;
  static GridState<N> root;
  int64_t steps = 0;
  const EngineContext context{&kNeverStop, &steps};
  uint32_t masks[Shape::kCells];
  uint8_t preferred[Shape::kCells];
  for (;;) {
    for (int c = 0; c < Shape::kCells; ++c) {
      masks[c] = Shape::kAll;
      preferred[c] = static_cast<uint8_t>(1 + random->Below(N));
    }
    for (int b = 0; b < Shape::kBox; ++b) {
      uint8_t digits[N];
      for (int d = 0; d < N; ++d) digits[d] = static_cast<uint8_t>(d + 1);
      random->Shuffle(digits, N);
      for (int k = 0; k < N; ++k) {
        const int y = b * Shape::kBox + k / Shape::kBox;
        const int x = b * Shape::kBox + k % Shape::kBox;
        masks[y * N + x] = uint32_t{1} << (digits[k] - 1);
      }
    }
    if (!LoadRoot(&root, masks)) continue;
    Query query;
    query.preferred = preferred;
    query.restarts = true;
    query.nodeBudget = kFillBudget<N>;
    if (Solve(root, query, context, grid) == Outcome::kFound) return;
  }
}

// The cells a removal takes away together: a cell and its partner under a
// half turn (the centre has none), or one cell.
struct Removal {
  int cells[2];
  int count;
};

// Whether `puzzle` (digits, 0 for empty) keeps `grid` as its one solution
// once the cells of `removal` are emptied too: no solution differs from grid
// in the first cell, nor, agreeing there, in the second.
template <int N>
bool StaysUnique(const uint8_t* puzzle, const uint8_t* grid, const Removal& removal) {
  using Shape = GridShape<N>;
  uint32_t masks[Shape::kCells];
  for (int c = 0; c < Shape::kCells; ++c) {
    masks[c] = puzzle[c] == 0 ? Shape::kAll : uint32_t{1} << (puzzle[c] - 1);
  }
  for (int k = 0; k < removal.count; ++k) masks[removal.cells[k]] = Shape::kAll;
  for (int k = 0; k < removal.count; ++k) {
    const int cell = removal.cells[k];
    const uint32_t digit = uint32_t{1} << (grid[cell] - 1);
    masks[cell] = Shape::kAll & ~digit;
    if (N == 25 && FindNearSolution<N>(masks, grid, cell)) return false;
    if (HasSolution<N>(masks, grid) != Answer::kNo) return false;
    masks[cell] = digit;
  }
  return true;
}

template <int N>
MakerBoard MakeOfSize(const MakeRequest& request, MakerRandom* random) {
  constexpr int kCells = GridShape<N>::kCells;
  uint8_t grid[kCells];
  FillGrid<N>(random, grid);
  MakerBoard puzzle{N, std::vector<uint8_t>(grid, grid + kCells)};
  Removal removals[kCells];
  int count = 0;
  for (int c = 0; c < kCells; ++c) {
    const int partner = kCells - 1 - c;
    if (!request.symmetric) {
      removals[count++] = {{c, 0}, 1};
    } else if (c <= partner) {
      removals[count++] = {{c, partner}, c == partner ? 1 : 2};
    }
  }
  random->Shuffle(removals, count);
  for (int i = 0; i < count; ++i) {
    const Removal& removal = removals[i];
    if (StaysUnique<N>(puzzle.cells.data(), grid, removal)) {
      for (int k = 0; k < removal.count; ++k) puzzle.cells[removal.cells[k]] = 0;
    } else if (!request.minimal) {
      break;
    }
  }
  return puzzle;
}

}  // namespace

MakerBoard MakePuzzle(const MakeRequest& request, MakerRandom* random) {
  return ForGridSize(request.size,
                     [&](auto side) { return MakeOfSize<decltype(side)::value>(request, random); });
}
