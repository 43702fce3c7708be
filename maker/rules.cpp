#include "maker/rules.h"

#include <cstring>

#include "solver/bits.h"

namespace {

uint32_t LowBits(int count) { return (uint32_t{1} << count) - 1; }

int Lowest(uint32_t mask) { return __builtin_ctz(mask); }

int BoxOf(const RuleBoard& b, int x, int y) { return y / b.box * b.box + x / b.box; }

int SlotOf(const RuleBoard& b, int x, int y) { return y % b.box * b.box + x % b.box; }

// The j-th cell of box k's reading-order walk.
int BoxCell(const RuleBoard& b, int k, int j) {
  const int x = k % b.box * b.box + j % b.box;
  const int y = k / b.box * b.box + j / b.box;
  return y * b.size + x;
}

// Rules v out of `cell`; true when it was a candidate there.
bool RuleOut(RuleBoard* b, int cell, int v) {
  const uint32_t bit = BitOf(v);
  if ((b->cand[cell] & bit) == 0) return false;
  const int x = cell % b->size, y = cell / b->size;
  b->cand[cell] &= ~bit;
  ++b->changes;
  b->rowPlaces[y][v] &= ~(uint32_t{1} << x);
  b->columnPlaces[x][v] &= ~(uint32_t{1} << y);
  b->boxPlaces[BoxOf(*b, x, y)][v] &= ~(uint32_t{1} << SlotOf(*b, x, y));
  return true;
}

// Everything a pass shares: the board, the rules in force and the log.
struct Pass {
  RuleBoard* b;
  RuleSet rules;
  std::vector<Step>* steps;
};

// Steps are gathered only for a log: a search settles its nodes without one.
void Log(const Pass& pass, Step step) {
  if (pass.steps != nullptr) pass.steps->push_back(std::move(step));
}

bool PlaceSingle(const Pass& pass, int cell, int v, StepRule rule, UnitKind kind, int unit) {
  PlaceOnBoard(pass.b, cell, v);
  Log(pass, {rule, kind, unit, v, BitOf(v), {cell}, {}});
  return true;
}

// Rules v out of the cells whose bits are set in `places`; cellOf maps a bit
// to its cell. Logs the step when any cell lost v.
template <typename CellOf>
void RuleOutPlaces(const Pass& pass, uint32_t places, int v, StepRule rule, UnitKind kind, int unit,
                   CellOf cellOf) {
  Step step{rule, kind, unit, v, BitOf(v), {}, {}};
  for (; places != 0; places &= places - 1) {
    const int cell = cellOf(Lowest(places));
    if (RuleOut(pass.b, cell, v) && pass.steps != nullptr) step.cells.push_back(cell);
  }
  if (!step.cells.empty()) Log(pass, std::move(step));
}

// Hidden single in box k, or pointing: v confined to one line of the box
// leaves the rest of that line.
bool BoxRule(const Pass& pass, int k, int v) {
  RuleBoard& b = *pass.b;
  const int nb = b.box;
  const int x0 = k % nb * nb, y0 = k / nb * nb;
  const uint32_t places = b.boxPlaces[k][v];
  const int m = CountOf(places);
  if (m == 1) {
    return PlaceSingle(pass, BoxCell(b, k, Lowest(places)), v, StepRule::kHiddenSingle,
                       UnitKind::kBox, k);
  }
  if (pass.rules == RuleSet::kSingles || m < 2 || m > nb) return false;
  const int first = Lowest(places);
  const int column = first % nb, row = first / nb;
  uint32_t columnPattern = 0;
  for (int r = 0; r < nb; ++r) columnPattern |= uint32_t{1} << (r * nb + column);
  if ((places & ~columnPattern) == 0) {
    const int x = x0 + column;
    RuleOutPlaces(pass, b.columnPlaces[x][v] & ~(LowBits(nb) << y0), v, StepRule::kPointing,
                  UnitKind::kBox, k, [&b, x](int y) { return y * b.size + x; });
  }
  if ((places & ~(LowBits(nb) << (row * nb))) == 0) {
    const int y = y0 + row;
    RuleOutPlaces(pass, b.rowPlaces[y][v] & ~(LowBits(nb) << x0), v, StepRule::kPointing,
                  UnitKind::kBox, k, [&b, y](int x) { return y * b.size + x; });
  }
  return false;
}

// Hidden single in row k, or claiming: v confined to one box of the row
// leaves the rest of that box.
bool RowRule(const Pass& pass, int k, int v) {
  RuleBoard& b = *pass.b;
  const int nb = b.box;
  const uint32_t places = b.rowPlaces[k][v];
  const int m = CountOf(places);
  if (m == 1) {
    return PlaceSingle(pass, k * b.size + Lowest(places), v, StepRule::kHiddenSingle,
                       UnitKind::kRow, k);
  }
  if (pass.rules == RuleSet::kSingles || m < 2 || m > nb) return false;
  const int band = Lowest(places) / nb;
  if ((places & ~(LowBits(nb) << (band * nb))) != 0) return false;
  const int box = k / nb * nb + band;
  RuleOutPlaces(pass, b.boxPlaces[box][v] & ~(LowBits(nb) << (k % nb * nb)), v, StepRule::kClaiming,
                UnitKind::kRow, k, [&b, box](int j) { return BoxCell(b, box, j); });
  return false;
}

// Hidden single in column k; columns have no claiming rule.
bool ColumnRule(const Pass& pass, int k, int v) {
  RuleBoard& b = *pass.b;
  const uint32_t places = b.columnPlaces[k][v];
  if (CountOf(places) != 1) return false;
  return PlaceSingle(pass, Lowest(places) * b.size + k, v, StepRule::kHiddenSingle,
                     UnitKind::kColumn, k);
}

// The naked subset rule on one line, the reference cell at place `self`:
// s cells with the same s candidates take them from the line's other empty
// cells, unless the line has exactly s filled cells.
void LineSubset(const Pass& pass, UnitKind kind, int line, int self, int s) {
  RuleBoard& b = *pass.b;
  const int n = b.size;
  const auto cellAt = [&b, kind, line](int i) {
    return kind == UnitKind::kRow ? line * b.size + i : i * b.size + line;
  };
  const int filled = kind == UnitKind::kRow ? b.filledInRow[line] : b.filledInColumn[line];
  if (filled == s || n - filled <= s) return;
  const uint32_t subset = b.cand[cellAt(self)];
  bool matches[25] = {};
  int t = 0;
  for (int i = 0; i < n; ++i) {
    if (i != self && b.cand[cellAt(i)] == subset) {
      matches[i] = true;
      ++t;
    }
  }
  if (t != s - 1) return;
  Step step{StepRule::kNakedSubset, kind, line, 0, subset, {}, {}};
  for (int i = 0; i < n; ++i) {
    const int cell = cellAt(i);
    if (i == self || matches[i]) {
      if (pass.steps != nullptr) step.subset.push_back(cell);
      continue;
    }
    if (b.digit[cell] != 0) continue;
    bool lost = false;
    for (uint32_t digits = subset; digits != 0; digits &= digits - 1) {
      lost = RuleOut(pass.b, cell, Lowest(digits) + 1) || lost;
    }
    if (lost && pass.steps != nullptr) step.cells.push_back(cell);
  }
  if (!step.cells.empty()) Log(pass, std::move(step));
}

void Subsets(const Pass& pass) {
  RuleBoard& b = *pass.b;
  for (int y = 0; y < b.size; ++y) {
    for (int x = 0; x < b.size; ++x) {
      const int cell = y * b.size + x;
      if (b.digit[cell] != 0) continue;
      const int s = CountOf(b.cand[cell]);
      if (s == 0 || s == 1 || s == b.box) continue;
      LineSubset(pass, UnitKind::kRow, y, x, s);
      LineSubset(pass, UnitKind::kColumn, x, y, s);
    }
  }
}

bool NakedSingles(const Pass& pass) {
  RuleBoard& b = *pass.b;
  bool placed = false;
  for (int cell = 0; cell < b.size * b.size; ++cell) {
    const uint32_t mask = b.cand[cell];
    if (mask != 0 && IsSingle(mask)) {
      placed = PlaceSingle(pass, cell, DigitOf(mask), StepRule::kNakedSingle, UnitKind::kBox,
                           BoxOf(b, cell % b.size, cell / b.size));
    }
  }
  return placed;
}

// One pass in the solve's order: digits outside, unit index inside, box then
// row then column; then subsets and naked singles in reading order.
bool RunPass(const Pass& pass) {
  const int n = pass.b->size;
  bool placed = false;
  for (int v = 1; v <= n; ++v) {
    for (int k = 0; k < n; ++k) {
      placed = BoxRule(pass, k, v) || placed;
      placed = RowRule(pass, k, v) || placed;
      placed = ColumnRule(pass, k, v) || placed;
    }
  }
  if (pass.rules == RuleSet::kAll) Subsets(pass);
  return NakedSingles(pass) || placed;
}

}  // namespace

void LoadRules(const MakerBoard& puzzle, RuleBoard* grid) {
  RuleBoard& b = *grid;
  const int n = puzzle.size;
  b.size = n;
  b.box = n == 9 ? 3 : (n == 16 ? 4 : 5);
  b.empty = 0;
  b.changes = 0;
  uint32_t inRow[25] = {}, inColumn[25] = {}, inBox[25] = {};
  for (int i = 0; i < n; ++i) {
    b.filledInRow[i] = 0;
    b.filledInColumn[i] = 0;
    for (int v = 0; v <= n; ++v) {
      b.rowPlaces[i][v] = 0;
      b.columnPlaces[i][v] = 0;
      b.boxPlaces[i][v] = 0;
    }
  }
  for (int cell = 0; cell < n * n; ++cell) {
    const int x = cell % n, y = cell / n, v = puzzle.cells[cell];
    b.digit[cell] = static_cast<uint8_t>(v);
    if (v == 0) {
      ++b.empty;
      continue;
    }
    ++b.filledInRow[y];
    ++b.filledInColumn[x];
    inRow[y] |= BitOf(v);
    inColumn[x] |= BitOf(v);
    inBox[BoxOf(b, x, y)] |= BitOf(v);
  }
  const uint32_t all = LowBits(n);
  for (int cell = 0; cell < n * n; ++cell) {
    const int x = cell % n, y = cell / n, k = BoxOf(b, x, y);
    b.cand[cell] = b.digit[cell] != 0 ? 0 : all & ~(inRow[y] | inColumn[x] | inBox[k]);
    for (uint32_t digits = b.cand[cell]; digits != 0; digits &= digits - 1) {
      const int v = Lowest(digits) + 1;
      b.rowPlaces[y][v] |= uint32_t{1} << x;
      b.columnPlaces[x][v] |= uint32_t{1} << y;
      b.boxPlaces[k][v] |= uint32_t{1} << SlotOf(b, x, y);
    }
  }
}

void CopyRules(const RuleBoard& from, RuleBoard* to) {
  const int n = from.size;
  const size_t places = sizeof from.rowPlaces[0][0] * (n + 1);
  to->size = n;
  to->box = from.box;
  to->empty = from.empty;
  to->changes = from.changes;
  std::memcpy(to->digit, from.digit, sizeof from.digit[0] * n * n);
  std::memcpy(to->cand, from.cand, sizeof from.cand[0] * n * n);
  for (int i = 0; i < n; ++i) {
    std::memcpy(to->rowPlaces[i], from.rowPlaces[i], places);
    std::memcpy(to->columnPlaces[i], from.columnPlaces[i], places);
    std::memcpy(to->boxPlaces[i], from.boxPlaces[i], places);
    to->filledInRow[i] = from.filledInRow[i];
    to->filledInColumn[i] = from.filledInColumn[i];
  }
}

void PlaceOnBoard(RuleBoard* grid, int cell, int v) {
  RuleBoard& b = *grid;
  const int x = cell % b.size, y = cell / b.size, k = BoxOf(b, x, y);
  b.digit[cell] = static_cast<uint8_t>(v);
  ++b.filledInRow[y];
  ++b.filledInColumn[x];
  --b.empty;
  for (uint32_t places = b.rowPlaces[y][v]; places != 0; places &= places - 1) {
    RuleOut(grid, y * b.size + Lowest(places), v);
  }
  for (uint32_t places = b.columnPlaces[x][v]; places != 0; places &= places - 1) {
    RuleOut(grid, Lowest(places) * b.size + x, v);
  }
  for (uint32_t places = b.boxPlaces[k][v]; places != 0; places &= places - 1) {
    RuleOut(grid, BoxCell(b, k, Lowest(places)), v);
  }
  for (uint32_t own = b.cand[cell]; own != 0; own &= own - 1) {
    RuleOut(grid, cell, Lowest(own) + 1);
  }
}

int RunRules(RuleBoard* grid, RuleSet rules, bool stopAtDeadEnd, std::vector<Step>* steps) {
  const Pass pass{grid, rules, steps};
  int placingPasses = 0;
  for (int idle = 0; idle < 2 && grid->empty > 0;) {
    if (RunPass(pass)) {
      ++placingPasses;
      idle = 0;
    } else {
      ++idle;
    }
    if (stopAtDeadEnd && DeadEnd(*grid)) break;
  }
  return placingPasses;
}

bool SettleNode(RuleBoard* grid) {
  const Pass pass{grid, RuleSet::kAll, nullptr};
  while (grid->empty > 0) {
    const uint32_t before = grid->changes;
    RunPass(pass);
    if (DeadEnd(*grid)) return false;
    if (grid->changes == before) break;
  }
  return true;
}

bool DeadEnd(const RuleBoard& b) {
  const int n = b.size;
  uint32_t inRow[25] = {}, inColumn[25] = {}, inBox[25] = {};
  for (int cell = 0; cell < n * n; ++cell) {
    const int x = cell % n, y = cell / n, k = BoxOf(b, x, y);
    const uint32_t here = b.digit[cell] != 0 ? BitOf(b.digit[cell]) : b.cand[cell];
    if (here == 0) return true;
    inRow[y] |= here;
    inColumn[x] |= here;
    inBox[k] |= here;
  }
  const uint32_t all = LowBits(n);
  for (int i = 0; i < n; ++i) {
    if (inRow[i] != all || inColumn[i] != all || inBox[i] != all) return true;
  }
  return false;
}

bool FindClueClash(const MakerBoard& puzzle, int* earlier, int* later) {
  const int n = puzzle.size, nb = n == 9 ? 3 : (n == 16 ? 4 : 5);
  for (int cell = 0; cell < n * n; ++cell) {
    const int x = cell % n, y = cell / n;
    for (int other = 0; other < cell && puzzle.cells[cell] != 0; ++other) {
      const int ox = other % n, oy = other / n;
      const bool peer = ox == x || oy == y || (ox / nb == x / nb && oy / nb == y / nb);
      if (peer && puzzle.cells[other] == puzzle.cells[cell]) {
        *earlier = other;
        *later = cell;
        return true;
      }
    }
  }
  return false;
}
