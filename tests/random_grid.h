// Random solved grids and puzzles cut from them, for the tests. A small
// solver of the tests' own fills an empty board: the open cell with the
// fewest digits first, its digits in random order, starting over when a fill
// runs long. It also counts solutions, to cut puzzles down to a single one.
// Boards are cells in reading order (index y * N + x), 0 for an empty cell.
// std::mt19937 gives the same numbers on every platform, so a seed always
// gives the same boards.
#pragma once

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace random_grid {

inline int BoxSide(int n) { return n == 9 ? 3 : (n == 16 ? 4 : 5); }

// A number in [0, bound).
inline int Below(std::mt19937* random, int bound) {
  return static_cast<int>((*random)() % static_cast<uint32_t>(bound));
}

template <typename T>
void Shuffle(std::mt19937* random, std::vector<T>* items) {
  for (int i = static_cast<int>(items->size()) - 1; i > 0; --i) {
    std::swap((*items)[i], (*items)[Below(random, i + 1)]);
  }
}

// A board being filled: the digits each row, column and box still lacks, as
// masks (bit d - 1 for digit d).
class Filler {
 public:
  Filler(int n, const std::vector<int>& cells)
      : n_(n),
        box_(BoxSide(n)),
        cells_(cells),
        row_(n, AllDigits(n)),
        column_(n, AllDigits(n)),
        boxes_(n, AllDigits(n)) {
    for (int c = 0; c < n * n; ++c) {
      if (cells_[c] == 0) continue;
      if ((Free(c) & Bit(cells_[c])) == 0) clash_ = true;
      Flip(c, cells_[c]);
    }
  }

  // Fills the board with digits in random order; false when it has no
  // solution or the fill took more than `nodeBudget` steps.
  bool Fill(std::mt19937* random, int64_t nodeBudget) {
    random_ = random;
    budget_ = nodeBudget;
    nodes_ = 0;
    limit_ = 1;
    found_ = 0;
    return !clash_ && Search() && found_ == 1;
  }

  // Solutions of the board, counted up to `limit`; -1 when the count took
  // more than `nodeBudget` steps. Digits are tried in ascending order.
  int Count(int limit, int64_t nodeBudget) {
    if (clash_) return 0;
    random_ = nullptr;
    budget_ = nodeBudget;
    nodes_ = 0;
    limit_ = limit;
    found_ = 0;
    Search();
    return nodes_ > budget_ ? -1 : found_;
  }

  const std::vector<int>& cells() const { return cells_; }

 private:
  static uint32_t AllDigits(int n) { return (uint32_t{1} << n) - 1; }
  static uint32_t Bit(int d) { return uint32_t{1} << (d - 1); }
  static int Count(uint32_t mask) { return __builtin_popcount(mask); }
  int BoxOf(int c) const { return c / n_ / box_ * box_ + c % n_ / box_; }
  uint32_t Free(int c) const { return row_[c / n_] & column_[c % n_] & boxes_[BoxOf(c)]; }
  void Flip(int c, int d) {
    row_[c / n_] ^= Bit(d);
    column_[c % n_] ^= Bit(d);
    boxes_[BoxOf(c)] ^= Bit(d);
  }

  // True when the search must end: budget spent or enough solutions found.
  bool Search() {
    if (++nodes_ > budget_) return true;
    int best = -1;
    int fewest = n_ + 1;
    for (int c = 0; c < n_ * n_ && fewest > 1; ++c) {
      if (cells_[c] != 0) continue;
      const int options = Count(Free(c));
      if (options < fewest) {
        fewest = options;
        best = c;
      }
    }
    if (best < 0) return ++found_ >= limit_;
    if (fewest == 0) return false;
    std::vector<int> digits;
    for (int d = 1; d <= n_; ++d) {
      if ((Free(best) & Bit(d)) != 0) digits.push_back(d);
    }
    if (random_ != nullptr) Shuffle(random_, &digits);
    for (int d : digits) {
      cells_[best] = d;
      Flip(best, d);
      const bool done = Search();
      if (done && found_ >= limit_ && random_ != nullptr) return true;  // keep the fill
      Flip(best, d);
      cells_[best] = 0;
      if (done) return true;
    }
    return false;
  }

  int n_;
  int box_;
  std::vector<int> cells_;
  std::vector<uint32_t> row_;
  std::vector<uint32_t> column_;
  std::vector<uint32_t> boxes_;
  std::mt19937* random_ = nullptr;
  int64_t budget_ = 0;
  int64_t nodes_ = 0;
  int limit_ = 1;
  int found_ = 0;
  bool clash_ = false;
};

// A random solved grid of side n (9, 16 or 25).
inline std::vector<int> SolvedGrid(int n, std::mt19937* random) {
  for (;;) {
    Filler filler(n, std::vector<int>(n * n, 0));
    if (filler.Fill(random, 20 * n * n)) return filler.cells();
  }
}

// Keeps `clues` cells of a grid, chosen at random.
inline std::vector<int> Cut(const std::vector<int>& grid, int clues, std::mt19937* random) {
  std::vector<int> order(grid.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  Shuffle(random, &order);
  std::vector<int> board = grid;
  for (size_t i = clues; i < order.size(); ++i) board[order[i]] = 0;
  return board;
}

// Removes the clues of a grid in random order as long as the board keeps one
// solution; a clue whose removal cannot be decided within `nodeBudget` steps
// stays. With an unlimited budget the result is a minimal puzzle: every clue
// left is needed.
inline std::vector<int> Minimal(int n, const std::vector<int>& grid, std::mt19937* random,
                                int64_t nodeBudget) {
  std::vector<int> board = grid;
  std::vector<int> order(grid.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  Shuffle(random, &order);
  for (int c : order) {
    const int kept = board[c];
    board[c] = 0;
    if (Filler(n, board).Count(2, nodeBudget) != 1) board[c] = kept;
  }
  return board;
}

// Removes `count` more clues, chosen at random.
inline std::vector<int> WithoutClues(std::vector<int> board, int count, std::mt19937* random) {
  std::vector<int> clues;
  for (size_t i = 0; i < board.size(); ++i) {
    if (board[i] != 0) clues.push_back(static_cast<int>(i));
  }
  Shuffle(random, &clues);
  for (int i = 0; i < count && i < static_cast<int>(clues.size()); ++i) board[clues[i]] = 0;
  return board;
}

}  // namespace random_grid
