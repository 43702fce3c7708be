// The choice of the next decision: the cell or the unit's digit whose
// variables took part in the most recent conflicts, for how few choices it
// leaves.
#pragma once

#include <algorithm>

#include "solver/engine/bit_grid.h"
#include "solver/engine/clause_learner.h"

// Included by clause_search.cpp alone, so that the whole search is one
// translation unit and its steps inline into one another.
namespace {

// Next decision. Candidates are the undecided cells and the digits with more
// than one place left in a unit; the one whose variables took part in the
// most recent conflicts for the square of their number wins (a unit's digit
// only when it has no more places than the best cell has digits), and its
// most active variable is set (the preferred digit's, where the learner has
// one and it is among them). -1 when every cell is decided.
template <int N>
int ChooseVariable(const Learner<N>& s) {
  constexpr double kTiny = 1e-9;
  int bestCell = -1;
  double bestSum = 0.0;
  int bestCount = 1;
  auto considerCell = [&](int c) {
    const uint32_t m = s.domain[c];
    const int count = CountOf(m);
    // Not even every digit at the cell's peak activity would beat the best
    // (with room for rounding), so its sum is not needed.
    if (bestCell >= 0 && (kTiny + count * s.cellPeak[c]) * (bestCount * bestCount) * (1 + 1e-9) <
                             bestSum * (count * count)) {
      return;
    }
    const double* weights = s.activity + c * N;
    double sum = kTiny;
    for (uint32_t r = m; r != 0; r &= r - 1) sum += weights[LowestIndex(r)];
    if (bestCell < 0 || sum * (bestCount * bestCount) > bestSum * (count * count)) {
      bestCell = c;
      bestSum = sum;
      bestCount = count;
    }
  };
  constexpr int kCells = GridShape<N>::kCells;
  for (int base = 0; base < kCells; base += 32) {
    const uint32_t open = SeveralBits(s.domain + base, std::min(32, kCells - base), 0);
    for (uint32_t r = open; r != 0; r &= r - 1) considerCell(base + LowestIndex(r));
  }
  if (bestCell < 0) return -1;
  int bestUnit = -1;
  int bestDigit = -1;
  for (int u = 0; u < GridShape<N>::kUnits; ++u) {
    const uint16_t* cells = s.tables->units[u];
    // A digit with more places than the best has choices cannot win; the
    // few that may are picked out four at a time.
    for (uint32_t open = SeveralBits(s.places[u], N, bestCount); open != 0; open &= open - 1) {
      const int d = LowestIndex(open);
      const uint32_t where = s.places[u][d];
      const int count = CountOf(where);
      if (count > bestCount) continue;
      double sum = kTiny;
      for (uint32_t r = where; r != 0; r &= r - 1) {
        sum += s.activity[cells[LowestIndex(r)] * N + d];
      }
      if (sum * (bestCount * bestCount) > bestSum * (count * count)) {
        bestUnit = u;
        bestDigit = d;
        bestSum = sum;
        bestCount = count;
      }
    }
  }
  int var = -1;
  auto consider = [&](int candidate) {
    if (var < 0 || s.activity[candidate] > s.activity[var]) var = candidate;
  };
  if (bestUnit >= 0) {
    const uint16_t* cells = s.tables->units[bestUnit];
    for (uint32_t r = s.places[bestUnit][bestDigit]; r != 0; r &= r - 1) {
      const int cell = cells[LowestIndex(r)];
      if (s.preferred != nullptr && s.preferred[cell] == bestDigit + 1) return cell * N + bestDigit;
      consider(cell * N + bestDigit);
    }
  } else {
    if (s.preferred != nullptr && s.preferred[bestCell] != 0 &&
        (s.domain[bestCell] & (uint32_t{1} << (s.preferred[bestCell] - 1))) != 0) {
      return bestCell * N + s.preferred[bestCell] - 1;
    }
    for (uint32_t r = s.domain[bestCell]; r != 0; r &= r - 1) {
      consider(bestCell * N + LowestIndex(r));
    }
  }
  return var;
}

}  // namespace
