// The oracle's queries (oracle.h) on a 9x9 board, answered on the digit
// bitboards of settle_9x9.h. The walk keeps its state as cell masks
// (GridState<9>); each call converts them and gives back masks or a witness
// in reading order. The answers are those of the generic oracle, which the
// larger boards use; only the nodes and their cost differ.
#include <cstring>

#include "solver/engine/settle_9x9.h"

namespace {

// Next cell to branch on, or -1 when every cell is placed: the query's first
// cell, the first open cell in reading order, or the cell with the fewest
// digits, ties to the heavier units and then to reading order.
int ChooseCell(const Board9& s, const Query& query) {
  if (query.firstCell >= 0 && (s.open[query.firstCell / 27] >> (query.firstCell % 27) & 1) != 0) {
    return query.firstCell;
  }
  if ((s.open[0] | s.open[1] | s.open[2]) == 0) return -1;
  if (query.readingOrder) {
    for (int b = 0; b < 3; ++b) {
      if (s.open[b] != 0) return 27 * b + LowestBit(s.open[b]);
    }
  }
  uint32_t two[3];
  uint32_t more[3];
  for (int b = 0; b < 3; ++b) {
    uint32_t once = 0;
    uint32_t twice = 0;
    uint32_t thrice = 0;
    for (int d = 0; d < 9; ++d) {
      const uint32_t x = s.places[d][b];
      thrice |= twice & x;
      twice |= once & x;
      once |= x;
    }
    two[b] = twice & ~thrice & s.open[b];
    more[b] = thrice & s.open[b];
  }
  int best = -1;
  int32_t bestWeight = -1;
  for (int b = 0; b < 3; ++b) {
    for (uint32_t x = two[b]; x != 0; x &= x - 1) {
      const int c = 27 * b + LowestBit(x);
      const int32_t w = cellWeight9[c];
      if (w > bestWeight) {
        best = c;
        bestWeight = w;
      }
    }
  }
  if (best >= 0) return best;
  int bestCount = 10;
  for (int b = 0; b < 3; ++b) {
    for (uint32_t x = more[b]; x != 0; x &= x - 1) {
      const int c = 27 * b + LowestBit(x);
      const int count = CountOf(CellDigits(s, b, x & (0u - x)));
      const int32_t w = cellWeight9[c];
      if (count < bestCount || (count == bestCount && w > bestWeight)) {
        best = c;
        bestCount = count;
        bestWeight = w;
      }
    }
  }
  return best;
}

// The digit index to try first on `cell`.
int ChooseDigit(const Board9& s, const Query& query, int cell) {
  const uint32_t m = CellDigits(s, cell / 27, uint32_t{1} << (cell % 27));
  if (cell != query.firstCell && query.preferred != nullptr && query.preferred[cell] != 0) {
    const uint32_t preferred = uint32_t{1} << (query.preferred[cell] - 1);
    if ((m & preferred) != 0) return query.preferred[cell] - 1;
  }
  return LowestBit(m);
}

// Leaves only digit d on `cell`; the digits taken out, as a set.
uint32_t Decide(Board9* s, int cell, int d) {
  const int b = cell / 27;
  const uint32_t bit = uint32_t{1} << (cell % 27);
  uint32_t changed = 0;
  for (int e = 0; e < 9; ++e) {
    if (e != d && (s->places[e][b] & bit) != 0) {
      s->places[e][b] &= ~bit;
      changed |= uint32_t{1} << e;
    }
  }
  return changed;
}

// As in oracle.cpp: one settled board per depth, depth d + 1 being depth d
// with the branch digit placed; a refuted digit leaves depth d in place.
struct Stack9 {
  Board9 states[82];
  int32_t branchCell[82];
  int32_t branchDigit[82];
};

Stack9 stack9;

// From cell masks (bit d - 1 for digit d); every cell open.
void FromMasks(const uint32_t* cand, Board9* s) {
  for (auto& digit : s->places) digit[0] = digit[1] = digit[2] = digit[3] = 0;
  for (int c = 0; c < 81; ++c) {
    for (uint32_t m = cand[c]; m != 0; m &= m - 1)
      s->places[LowestBit(m)][c / 27] |= uint32_t{1} << (c % 27);
  }
  s->open[0] = s->open[1] = s->open[2] = kBand9;
  s->open[3] = 0;
}

void ToWitness(const Board9& s, uint8_t* witness) {
  for (int d = 0; d < 9; ++d) {
    for (int b = 0; b < 3; ++b) {
      for (uint32_t x = s.places[d][b]; x != 0; x &= x - 1) {
        witness[27 * b + LowestBit(x)] = static_cast<uint8_t>(d + 1);
      }
    }
  }
}

// Back to cell masks, for the walk.
void ToMasks(const Board9& s, uint32_t* cand) {
  for (int c = 0; c < 81; ++c) cand[c] = CellDigits(s, c / 27, uint32_t{1} << (c % 27));
}

Board9 scratch9;

// The root LoadRoot last settled, and its cell masks: a query without a
// bound or a restricted cell on those masks starts from it, since settling
// a settled board changes nothing.
Board9 settledRoot;
uint32_t settledMasks[81];
bool settledKnown = false;

}  // namespace

template <>
bool Assign<9>(GridState<9>* state, int cell, int digit) {
  const uint32_t bit = BitOf(digit);
  if ((state->cand[cell] & bit) == 0) return false;
  if (state->cand[cell] == bit) return true;
  Board9& s = scratch9;
  FromMasks(state->cand, &s);
  s.lexPos = state->lexPos;
  if (!Settle9(&s, Decide(&s, cell, digit - 1) | kAllDigits9, nullptr)) return false;
  ToMasks(s, state->cand);
  return true;
}

template <>
bool LoadRoot<9>(GridState<9>* state, const uint32_t* masks) {
  ResetWeights9();
  state->lexPos = 0;
  for (int c = 0; c < 81; ++c) {
    state->cand[c] = masks[c] & GridShape<9>::kAll;
    if (state->cand[c] == 0) return false;
  }
  settledKnown = false;
  Board9& s = scratch9;
  FromMasks(state->cand, &s);
  s.lexPos = 0;
  if (!Settle9(&s, kAllDigits9, nullptr)) return false;
  ToMasks(s, state->cand);
  settledRoot = s;
  std::memcpy(settledMasks, state->cand, sizeof settledMasks);
  settledKnown = true;
  return true;
}

template <>
QueryOutcome Solve<9>(const GridState<9>& root, const Query& query, const EngineContext& context,
                      uint8_t* witness) {
  Board9* states = stack9.states;
  NodeClock clock = StartClock(query);
  if (query.bound == LexBound::kNone && query.restrictCell < 0 && settledKnown &&
      std::memcmp(root.cand, settledMasks, sizeof settledMasks) == 0) {
    states[0] = settledRoot;
    states[0].lexPos = root.lexPos;
  } else {
    FromMasks(root.cand, &states[0]);
    states[0].lexPos = root.lexPos;
    if (query.restrictCell >= 0) {
      const uint32_t m = root.cand[query.restrictCell] & query.restrictMask;
      if (m == 0) return QueryOutcome::kNone;
      uint32_t gone = root.cand[query.restrictCell] & ~m;
      for (; gone != 0; gone &= gone - 1) {
        states[0].places[LowestBit(gone)][query.restrictCell / 27] &=
            ~(uint32_t{1} << (query.restrictCell % 27));
      }
    }
    if (!Settle9(&states[0], kAllDigits9, &query)) {
      return Finish(clock, context, QueryOutcome::kNone);
    }
  }
  // With query.improve the bound tightens to each solution found, so the
  // last one is the smallest; with query.onlyOne the search goes on past the
  // first for a second.
  Query active = query;
  bool haveWitness = false;
  int depth = 0;
  for (;;) {
    if (RestartDue(&clock)) depth = 0;
    QueryOutcome end;
    if (MustEnd(clock, query, context, haveWitness && query.improve, &end)) return end;
    Board9& state = states[depth];
    if (WatchDue(context, clock.nodes, &clock.watchAt)) {
      uint32_t cand[81];
      ToMasks(state, cand);
      ShowMasks<9>(context, cand);
    }
    const int cell = ChooseCell(state, active);
    if (cell < 0) {
      if (EndsAtSolution(clock, query, context, depth, witness, &haveWitness, &active, &end,
                         [&] { ToWitness(state, witness); })) {
        return end;
      }
      // The branch that led here holds this solution alone.
      --depth;
    } else {
      const int digit = ChooseDigit(state, active, cell);
      stack9.branchCell[depth] = cell;
      stack9.branchDigit[depth] = digit;
      Board9& next = states[depth + 1];
      next = state;
      ++clock.nodes;
      const uint32_t lost = Decide(&next, cell, digit);
      PlaceLone9(&next, cell, digit);
      if (Settle9(&next, lost | uint32_t{1} << digit, &active)) {
        ++depth;
        continue;
      }
    }
    // The digit is refuted: take it out where it was chosen and settle; when
    // that fails too, the choice one level up is refuted in turn.
    for (;;) {
      Board9& current = states[depth];
      const int refuted = stack9.branchCell[depth];
      const int digit = stack9.branchDigit[depth];
      const uint32_t bit = uint32_t{1} << (refuted % 27);
      current.places[digit][refuted / 27] &= ~bit;
      ++clock.nodes;
      uint32_t dirty = uint32_t{1} << digit;
      const uint32_t left = CellDigits(current, refuted / 27, bit);
      if (left != 0 && IsSingle(left)) {
        PlaceLone9(&current, refuted, LowestBit(left));
        dirty |= left;
      }
      if (Settle9(&current, dirty, &active)) break;
      if (depth == 0) {
        return Finish(clock, context, haveWitness ? QueryOutcome::kFound : QueryOutcome::kNone);
      }
      --depth;
      if (StopRequested(context)) return Finish(clock, context, QueryOutcome::kStopped);
    }
  }
}
