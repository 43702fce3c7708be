// A plain counter of solutions for the tests of the puzzle maker, apart from
// the engine: candidate masks, naked and hidden singles to a fixed point,
// then a branch on the open cell with the fewest digits. Slow beside the
// engine, but quick enough on minimal 16x16 puzzles, which a search without
// hidden singles cannot prove in reasonable time. Boards are cells in reading
// order, 0 for an empty cell.
#pragma once

#include <cstdint>
#include <vector>

namespace solution_counter {

class Counter {
 public:
  explicit Counter(int n) : n_(n), box_(n == 9 ? 3 : (n == 16 ? 4 : 5)) {
    for (int u = 0; u < 3 * n; ++u) {
      for (int k = 0; k < n; ++k) {
        const int band = u % n / box_ * box_, stack = u % n % box_ * box_;
        units_.push_back(u < n       ? u * n + k
                         : u < 2 * n ? k * n + u - n
                                     : (band + k / box_) * n + stack + k % box_);
      }
    }
  }

  // Solutions of `board`, up to `limit`; with `cell` >= 0 only those that do
  // not have `digit` there.
  int Count(const std::vector<int>& board, int limit, int cell = -1, int digit = 0) {
    std::vector<uint32_t> cand(n_ * n_, (uint32_t{1} << n_) - 1);
    for (int c = 0; c < n_ * n_; ++c) {
      if (board[c] != 0) cand[c] &= uint32_t{1} << (board[c] - 1);
    }
    if (cell >= 0) cand[cell] &= ~(uint32_t{1} << (digit - 1));
    found_ = 0;
    limit_ = limit;
    Search(cand);
    return found_;
  }

 private:
  // Fixed point of the two singles; false on a contradiction.
  bool Settle(std::vector<uint32_t>* cand) const {
    for (bool changed = true; changed;) {
      changed = false;
      for (int u = 0; u < 3 * n_; ++u) {
        const int* cells = &units_[u * n_];
        uint32_t once = 0, twice = 0, decided = 0;
        for (int k = 0; k < n_; ++k) {
          const uint32_t m = (*cand)[cells[k]];
          if (m == 0) return false;
          if ((m & (m - 1)) == 0) {
            if ((decided & m) != 0) return false;
            decided |= m;
          }
          twice |= once & m;
          once |= m;
        }
        if (once != (uint32_t{1} << n_) - 1) return false;
        const uint32_t hidden = once & ~twice & ~decided;
        for (int k = 0; k < n_; ++k) {
          uint32_t& m = (*cand)[cells[k]];
          uint32_t next = (m & (m - 1)) == 0 ? m : (m & hidden ? m & hidden : m & ~decided);
          if (next != m) {
            m = next;
            changed = true;
          }
        }
      }
    }
    return true;
  }

  void Search(std::vector<uint32_t> cand) {
    if (found_ >= limit_ || !Settle(&cand)) return;
    int best = -1;
    for (int c = 0; c < n_ * n_; ++c) {
      if ((cand[c] & (cand[c] - 1)) == 0) continue;
      if (best < 0 || __builtin_popcount(cand[c]) < __builtin_popcount(cand[best])) best = c;
    }
    if (best < 0) {
      ++found_;
      return;
    }
    for (uint32_t digits = cand[best]; digits != 0 && found_ < limit_; digits &= digits - 1) {
      cand[best] = digits & (~digits + 1);
      Search(cand);
    }
  }

  int n_;
  int box_;
  std::vector<int> units_;
  int found_ = 0;
  int limit_ = 1;
};

}  // namespace solution_counter
