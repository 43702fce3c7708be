#include "solver/engine/oracle.h"

#include "solver/engine/all_different.h"
#include "solver/engine/walk.h"

namespace {

// The generic oracle serves the 16x16 and 25x25 boards (9x9 has its own,
// oracle_9x9.cpp). Measured on the puzzle sets: the matching filter pays many
// times over on these boards at every node, and branching trades candidates
// against unit weights.

// The work a Settle still has to do. queue: cells decided but not yet taken
// out of their peers; a cell is queued at most once per Settle (it becomes
// decided once, and a second decision would empty it), so twice the board is
// room for the seeds as well. unitDirty / rowBandDirty / columnBandDirty: the
// units and bands holding a cell whose candidates changed since they were
// last looked at for hidden singles and box-line reductions.
template <int N>
struct Pending {
  uint16_t queue[2 * GridShape<N>::kCells];
  int head;
  int tail;
  uint8_t unitDirty[GridShape<N>::kUnits];
  uint8_t matchDirty[GridShape<N>::kUnits];
  uint8_t rowBandDirty[GridShape<N>::kBox];
  uint8_t columnBandDirty[GridShape<N>::kBox];
  // The unit that ran out of room when Settle failed, -1 when none is known.
  int failedUnit;
};

template <int N>
void Clear(Pending<N>* pending) {
  pending->head = 0;
  pending->tail = 0;
  pending->failedUnit = -1;
  for (uint8_t& dirty : pending->unitDirty) dirty = 0;
  for (uint8_t& dirty : pending->matchDirty) dirty = 0;
  for (uint8_t& dirty : pending->rowBandDirty) dirty = 0;
  for (uint8_t& dirty : pending->columnBandDirty) dirty = 0;
}

template <int N>
void MarkAll(Pending<N>* pending) {
  for (uint8_t& dirty : pending->unitDirty) dirty = 1;
  for (uint8_t& dirty : pending->matchDirty) dirty = 1;
  for (uint8_t& dirty : pending->rowBandDirty) dirty = 1;
  for (uint8_t& dirty : pending->columnBandDirty) dirty = 1;
}

template <int N>
inline void MarkChanged(const GridTables<N>& tables, int cell, Pending<N>* pending) {
  pending->unitDirty[tables.cellUnits[cell][0]] = 1;
  pending->unitDirty[tables.cellUnits[cell][1]] = 1;
  pending->unitDirty[tables.cellUnits[cell][2]] = 1;
  pending->matchDirty[tables.cellUnits[cell][0]] = 1;
  pending->matchDirty[tables.cellUnits[cell][1]] = 1;
  pending->matchDirty[tables.cellUnits[cell][2]] = 1;
  pending->rowBandDirty[tables.rowBand[cell]] = 1;
  pending->columnBandDirty[tables.columnBand[cell]] = 1;
}

template <int N>
inline void Decide(const GridTables<N>& tables, int cell, Pending<N>* pending) {
  pending->queue[pending->tail++] = static_cast<uint16_t>(cell);
  MarkChanged(tables, cell, pending);
}

// Takes `bits` out of one cell; queues the cell when that decides it.
template <int N>
inline Change Remove(const GridTables<N>& tables, uint32_t* cand, int cell, uint32_t bits,
                     Pending<N>* pending) {
  const uint32_t before = cand[cell];
  if ((before & bits) == 0) return Change::kNone;
  const uint32_t after = before & ~bits;
  cand[cell] = after;
  if (after == 0) return Change::kContradiction;
  MarkChanged(tables, cell, pending);
  if (IsSingle(after)) pending->queue[pending->tail++] = static_cast<uint16_t>(cell);
  return Change::kSome;
}

// A unit that holds both cells (row first, then column, then box).
template <int N>
int SharedUnit(const GridTables<N>& tables, int a, int b) {
  for (int i = 0; i < 3; ++i) {
    const int unit = tables.cellUnits[a][i];
    if (unit == tables.cellUnits[b][0] || unit == tables.cellUnits[b][1] ||
        unit == tables.cellUnits[b][2]) {
      return unit;
    }
  }
  return -1;
}

template <int N>
bool NakedSingles(uint32_t* cand, const GridTables<N>& tables, Pending<N>* pending) {
  while (pending->head < pending->tail) {
    const int cell = pending->queue[pending->head++];
    const uint32_t bit = cand[cell];
    const uint16_t* peers = tables.peers[cell];
    for (int k = 0; k < GridShape<N>::kPeers; ++k) {
      if (Remove(tables, cand, peers[k], bit, pending) == Change::kContradiction) {
        pending->failedUnit = SharedUnit(tables, cell, peers[k]);
        return false;
      }
    }
  }
  return true;
}

// A digit with one place left in a unit goes there; a digit with none left
// is a contradiction.
template <int N>
Change HiddenSingles(uint32_t* cand, const GridTables<N>& tables, Pending<N>* pending) {
  Change change = Change::kNone;
  for (int u = 0; u < GridShape<N>::kUnits; ++u) {
    if (pending->unitDirty[u] == 0) continue;
    pending->unitDirty[u] = 0;
    const uint16_t* cells = tables.units[u];
    uint32_t once = 0;
    uint32_t twice = 0;
    uint32_t decided = 0;
    for (int k = 0; k < N; ++k) {
      const uint32_t m = cand[cells[k]];
      twice |= once & m;
      once |= m;
      decided |= IsSingle(m) ? m : 0;
    }
    if (once != GridShape<N>::kAll) {
      pending->failedUnit = u;
      return Change::kContradiction;
    }
    uint32_t hidden = once & ~twice & ~decided;
    while (hidden != 0) {
      const uint32_t bit = hidden & (0u - hidden);
      hidden ^= bit;
      int k = 0;
      while (k < N && (cand[cells[k]] & bit) == 0) ++k;
      // Another hidden digit of this unit already took the only cell.
      if (k == N) {
        pending->failedUnit = u;
        return Change::kContradiction;
      }
      cand[cells[k]] = bit;
      Decide(tables, cells[k], pending);
      change = Change::kSome;
    }
  }
  return change;
}

// Box-line reductions in the bands marked dirty, one direction of lines.
// segments[line][k] are the n cells of a line inside its k-th box; the n lines
// of a band cross the same boxes. Pointing: a digit that a box holds only on
// one line leaves the rest of that line. Claiming: a digit that a line holds
// only inside one box leaves the rest of that box.
template <int N>
Change BoxLine(const GridTables<N>& tables, uint32_t* cand,
               const uint16_t (*segments)[GridShape<N>::kBox][GridShape<N>::kBox],
               uint8_t* bandDirty, Pending<N>* pending) {
  constexpr int n = GridShape<N>::kBox;
  Change change = Change::kNone;
  auto removeFromSegment = [&](int line, int k, uint32_t bits) {
    for (int j = 0; j < n; ++j) {
      const Change c = Remove(tables, cand, segments[line][k][j], bits, pending);
      if (c == Change::kContradiction) {
        pending->failedUnit = tables.cellUnits[segments[line][k][j]][2];
        return false;
      }
      if (c == Change::kSome) change = Change::kSome;
    }
    return true;
  };
  for (int band = 0; band < n; ++band) {
    if (bandDirty[band] == 0) continue;
    bandDirty[band] = 0;
    const int first = band * n;
    uint32_t seg[n][n];
    for (int i = 0; i < n; ++i) {
      for (int k = 0; k < n; ++k) {
        uint32_t m = 0;
        for (int j = 0; j < n; ++j) m |= cand[segments[first + i][k][j]];
        seg[i][k] = m;
      }
    }
    for (int i = 0; i < n; ++i) {
      for (int k = 0; k < n; ++k) {
        uint32_t restOfLine = 0;
        for (int k2 = 0; k2 < n; ++k2) restOfLine |= k2 == k ? 0 : seg[i][k2];
        uint32_t restOfBox = 0;
        for (int i2 = 0; i2 < n; ++i2) restOfBox |= i2 == i ? 0 : seg[i2][k];
        const uint32_t pointing = seg[i][k] & ~restOfBox & restOfLine;
        const uint32_t claiming = seg[i][k] & ~restOfLine & restOfBox;
        if (pointing != 0) {
          for (int k2 = 0; k2 < n; ++k2) {
            if (k2 != k && !removeFromSegment(first + i, k2, pointing)) {
              return Change::kContradiction;
            }
          }
        }
        if (claiming != 0) {
          for (int i2 = 0; i2 < n; ++i2) {
            if (i2 != i && !removeFromSegment(first + i2, k, claiming)) {
              return Change::kContradiction;
            }
          }
        }
      }
    }
  }
  return change;
}

// The matching filter of all_different.h on the dirty units.
template <int N>
Change Matchings(uint32_t* cand, const GridTables<N>& tables, Pending<N>* pending) {
  Change change = Change::kNone;
  for (int u = 0; u < GridShape<N>::kUnits; ++u) {
    if (pending->matchDirty[u] == 0) continue;
    pending->matchDirty[u] = 0;
    const uint16_t* cells = tables.units[u];
    uint32_t open[N];
    int openCell[N];
    int count = 0;
    for (int k = 0; k < N; ++k) {
      const uint32_t m = cand[cells[k]];
      if (IsSingle(m)) continue;
      open[count] = m;
      openCell[count++] = cells[k];
    }
    if (count < 2) continue;
    if (!FilterAllDifferent(open, count)) {
      pending->failedUnit = u;
      return Change::kContradiction;
    }
    for (int i = 0; i < count; ++i) {
      const uint32_t gone = cand[openCell[i]] & ~open[i];
      if (gone == 0) continue;
      if (Remove(tables, cand, openCell[i], gone, pending) == Change::kContradiction) {
        return Change::kContradiction;
      }
      change = Change::kSome;
    }
  }
  return change;
}

// Keeps X below (or above) the bound in reading order: every cell before
// lexPos equals the bound, so the first cell that is not decided to the
// bound's digit may not go past it.
template <int N>
Change KeepBound(const GridTables<N>& tables, GridState<N>* state, const Query& query,
                 Pending<N>* pending) {
  constexpr int kCells = GridShape<N>::kCells;
  uint32_t* cand = state->cand;
  Change change = Change::kNone;
  int p = state->lexPos;
  for (; p < kCells; ++p) {
    const uint32_t bit = BitOf(query.boundDigits[p]);
    const uint32_t m = cand[p];
    if (m == bit) continue;
    const uint32_t allowed = query.bound == LexBound::kBelow ? (bit | (bit - 1)) : ~(bit - 1);
    const uint32_t cut = m & allowed;
    if (cut == 0) return Change::kContradiction;
    if (cut != m) {
      cand[p] = cut;
      change = Change::kSome;
      MarkChanged(tables, p, pending);
      if (IsSingle(cut)) pending->queue[pending->tail++] = static_cast<uint16_t>(p);
    }
    if (cut != bit) break;
  }
  state->lexPos = p;
  // Equal in every cell is not strictly below or above.
  if (p == kCells) return Change::kContradiction;
  return change;
}

// How often each unit ran out of room in the current solve; the search
// branches where cells are small and their units often failed.
template <int N>
int32_t unitWeight[GridShape<N>::kUnits];

template <int N>
bool SettleLoop(GridState<N>* state, Pending<N>* pending, const Query* query) {
  const GridTables<N>& tables = Tables<N>();
  const bool bounded = query != nullptr && query->bound != LexBound::kNone;
  uint32_t* cand = state->cand;
  for (;;) {
    if (!NakedSingles(cand, tables, pending)) return false;
    Change change = HiddenSingles(cand, tables, pending);
    if (change == Change::kContradiction) return false;
    if (change == Change::kSome) continue;
    change = BoxLine<N>(tables, cand, tables.rowSegments, pending->rowBandDirty, pending);
    if (change == Change::kContradiction) return false;
    const Change columns =
        BoxLine<N>(tables, cand, tables.columnSegments, pending->columnBandDirty, pending);
    if (columns == Change::kContradiction) return false;
    if (change == Change::kSome || columns == Change::kSome) continue;
    change = Matchings(cand, tables, pending);
    if (change == Change::kContradiction) return false;
    if (change == Change::kSome) continue;
    if (bounded) {
      change = KeepBound(tables, state, *query, pending);
      if (change == Change::kContradiction) return false;
      if (change == Change::kSome) continue;
    }
    return true;
  }
}

template <int N>
bool SettleQueue(GridState<N>* state, Pending<N>* pending, const Query* query) {
  if (SettleLoop(state, pending, query)) return true;
  if (pending->failedUnit >= 0) ++unitWeight<N>[pending->failedUnit];
  return false;
}

// Settles after the candidates of `cell` changed.
template <int N>
bool SettleChanged(GridState<N>* state, int cell, const Query* query) {
  Pending<N> pending;
  Clear(&pending);
  MarkChanged(Tables<N>(), cell, &pending);
  if (IsSingle(state->cand[cell])) pending.queue[pending.tail++] = static_cast<uint16_t>(cell);
  return SettleQueue(state, &pending, query);
}

// Next cell to branch on, or -1 when every cell is decided.
template <int N>
int ChooseCell(const GridState<N>& state, const Query& query) {
  constexpr int kCells = GridShape<N>::kCells;
  const uint32_t* cand = state.cand;
  if (query.firstCell >= 0 && !IsSingle(cand[query.firstCell])) return query.firstCell;
  if (query.readingOrder) {
    for (int c = 0; c < kCells; ++c) {
      if (!IsSingle(cand[c])) return c;
    }
    return -1;
  }
  // Fewest candidates for the weight of the cell's units first, ties in
  // reading order: count / weight compared as count * otherWeight.
  const GridTables<N>& tables = Tables<N>();
  const int32_t* weight = unitWeight<N>;
  int best = -1;
  int64_t bestCount = 1;
  int64_t bestWeight = 0;
  for (int c = 0; c < kCells; ++c) {
    const uint32_t m = cand[c];
    if (IsSingle(m)) continue;
    const int64_t count = CountOf(m);
    const int64_t w = weight[tables.cellUnits[c][0]] + weight[tables.cellUnits[c][1]] +
                      weight[tables.cellUnits[c][2]];
    if (count * bestWeight < bestCount * w) {
      best = c;
      bestCount = count;
      bestWeight = w;
    }
  }
  return best;
}

template <int N>
uint32_t ChooseDigit(const GridState<N>& state, const Query& query, int cell) {
  const uint32_t m = state.cand[cell];
  if (cell != query.firstCell && query.preferred != nullptr && query.preferred[cell] != 0) {
    const uint32_t preferred = BitOf(query.preferred[cell]);
    if ((m & preferred) != 0) return preferred;
  }
  return m & (0u - m);
}

// The generic board for the shared walk (walk.h): cell masks, a digit chosen
// as its bit.
template <int N>
struct MaskBoard {
  using State = GridState<N>;
  using Choice = uint32_t;
  static int Cell(const State& state, const Query& query) { return ChooseCell(state, query); }
  static Choice Digit(const State& state, const Query& query, int cell) {
    return ChooseDigit(state, query, cell);
  }
  static bool Descend(State* next, int cell, Choice bit, const Query& query) {
    next->cand[cell] = bit;
    return SettleChanged(next, cell, &query);
  }
  static bool Refute(State* current, int cell, Choice bit, const Query& query) {
    current->cand[cell] &= ~bit;
    return SettleChanged(current, cell, &query);
  }
  static void Show(const EngineContext& context, const State& state) {
    ShowMasks<N>(context, state.cand);
  }
  static void Write(const State& state, uint8_t* witness) {
    for (int c = 0; c < GridShape<N>::kCells; ++c) {
      witness[c] = static_cast<uint8_t>(DigitOf(state.cand[c]));
    }
  }
};

template <int N>
WalkStack<MaskBoard<N>, GridShape<N>::kCells + 1> searchStack;

}  // namespace

template <int N>
bool Assign(GridState<N>* state, int cell, int digit) {
  const uint32_t bit = BitOf(digit);
  if ((state->cand[cell] & bit) == 0) return false;
  if (state->cand[cell] == bit) return true;
  state->cand[cell] = bit;
  return SettleChanged(state, cell, static_cast<const Query*>(nullptr));
}

template <int N>
bool LoadRoot(GridState<N>* state, const uint32_t* masks) {
  constexpr int kCells = GridShape<N>::kCells;
  Pending<N> pending;
  Clear(&pending);
  MarkAll(&pending);
  state->lexPos = 0;
  for (int32_t& weight : unitWeight<N>) weight = 1;
  for (int c = 0; c < kCells; ++c) {
    const uint32_t m = masks[c] & GridShape<N>::kAll;
    if (m == 0) return false;
    state->cand[c] = m;
    if (IsSingle(m)) pending.queue[pending.tail++] = static_cast<uint16_t>(c);
  }
  return SettleQueue(state, &pending, static_cast<const Query*>(nullptr));
}

template <int N>
Outcome Solve(const GridState<N>& root, const Query& query, const EngineContext& context,
              uint8_t* witness) {
  auto& stack = searchStack<N>;
  GridState<N>* states = stack.states;
  NodeClock clock = StartClock(query);
  states[0] = root;
  {
    Pending<N> pending;
    Clear(&pending);
    for (uint8_t& dirty : pending.matchDirty) dirty = 1;
    if (query.restrictCell >= 0) {
      const uint32_t m = states[0].cand[query.restrictCell] & query.restrictMask;
      if (m == 0) return Outcome::kNone;
      states[0].cand[query.restrictCell] = m;
      MarkChanged(Tables<N>(), query.restrictCell, &pending);
      if (IsSingle(m)) pending.queue[pending.tail++] = static_cast<uint16_t>(query.restrictCell);
    }
    if (!SettleQueue(&states[0], &pending, &query)) {
      return Finish(clock, context, Outcome::kNone);
    }
  }
  return Walk(&stack, clock, query, context, witness);
}

#define CORVANA_ORACLE_INSTANCES(N)                          \
  template bool Assign<N>(GridState<N>*, int, int);          \
  template bool LoadRoot<N>(GridState<N>*, const uint32_t*); \
  template Outcome Solve<N>(const GridState<N>&, const Query&, const EngineContext&, uint8_t*);
CORVANA_ORACLE_INSTANCES(16)
CORVANA_ORACLE_INSTANCES(25)
