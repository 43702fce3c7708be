#include <atomic>

#include "maker/maker.h"
#include "solver/engine/engine.h"
#include "solver/grid_size.h"

namespace {

template <int N>
int64_t CountOfSize(const MakerBoard& puzzle, int64_t limit) {
  static const std::atomic<int32_t> kNeverStop{0};
  int64_t steps = 0;
  const EngineContext context{&kNeverStop, &steps};
  uint32_t masks[N * N];
  const uint32_t all = (uint32_t{1} << N) - 1;
  for (int c = 0; c < N * N; ++c) {
    masks[c] = puzzle.cells[c] == 0 ? all : uint32_t{1} << (puzzle.cells[c] - 1);
  }
  return CountSolutions<N>(masks, limit, context);
}

}  // namespace

MakerBoard BoardOf(const InputData& data) {
  MakerBoard puzzle{data.gridSize, std::vector<uint8_t>(data.gridSize * data.gridSize)};
  for (int y = 0; y < data.gridSize; ++y) {
    for (int x = 0; x < data.gridSize; ++x) {
      puzzle.cells[y * data.gridSize + x] = static_cast<uint8_t>(data.given[x][y]);
    }
  }
  return puzzle;
}

int64_t CountBoard(const MakerBoard& puzzle, int64_t limit) {
  return ForGridSize(puzzle.size,
                     [&](auto side) { return CountOfSize<decltype(side)::value>(puzzle, limit); });
}

std::string CountText(int64_t count, int64_t limit) {
  if (count == 0) return "none";
  if (count == 1 && limit > 1) return "unique";
  if (count >= limit) return "at least " + std::to_string(limit);
  return "several (" + std::to_string(count) + ")";
}
