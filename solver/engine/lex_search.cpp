#include <cassert>
#include <cstring>

#include "solver/engine/clause_search.h"
#include "solver/engine/engine.h"
#include "solver/engine/oracle.h"

namespace {

// walk: settled, with a prefix of cells decided to the answer's digits.
// probe: scratch copy for one query. best/other: the witness in hand and the
// buffer the next query writes; they trade places when a query succeeds.
template <int N>
struct LexWork {
  GridState<N> walk;
  GridState<N> probe;
  uint8_t digits[2][GridShape<N>::kCells];
  uint8_t* best;
  uint8_t* other;
};

template <int N>
LexWork<N> lexWork;

template <int N>
void TakeWitness(LexWork<N>* work) {
  uint8_t* const kept = work->best;
  work->best = work->other;
  work->other = kept;
}

template <int N>
int FirstDifference(const uint8_t* a, const uint8_t* b) {
  int p = 0;
  while (p < GridShape<N>::kCells && a[p] == b[p]) ++p;
  return p;
}

Outcome FromQuery(Outcome outcome) {
  return outcome == Outcome::kStopped ? Outcome::kStopped : Outcome::kNone;
}

// Nodes a probe may spend; after kProbeTries probes over budget in one walk
// the walk goes on without them.
template <int N>
constexpr int64_t kProbeBudget = 2 * GridShape<N>::kCells;
constexpr int kProbeTries = 1;
// Nodes the first query of a walk may spend looking near the witness in hand
// before it is asked again in the order that suits a proof.
template <int N>
constexpr int64_t kNearBudget = GridShape<N>::kCells;

// A fresh start first searches the whole tree for a second solution,
// spending at most this many nodes: that settles a puzzle with one solution,
// the usual case, for both starts in fewer nodes than the proof that nothing
// lies below it and the proof that nothing lies above it, which repeat each
// other's refutations. Boards with more solutions soon find a second. On the
// larger boards a puzzle that needs more goes to the search that learns
// clauses (clause_search.h), which refutes each dead end once.
template <int N>
constexpr int64_t kOnlyOneBudget = (N == 9 ? 16 : 1) * GridShape<N>::kCells;

// Candidates a fresh start proved to have exactly one solution, and that
// solution: the resumed start that follows on the same candidates is over at
// once, its proof done.
template <int N>
struct OnlySolution {
  bool known;
  uint32_t masks[GridShape<N>::kCells];
  uint8_t digits[GridShape<N>::kCells];
};

template <int N>
OnlySolution<N> onlySolution;

template <int N>
bool IsOnlySolutionOf(const uint32_t* masks) {
  const OnlySolution<N>& only = onlySolution<N>;
  return only.known && std::memcmp(only.masks, masks, sizeof only.masks) == 0;
}

// Nodes the first branch-and-bound search may spend. On the larger boards the
// search for a witness with restarts does better from the start.
template <int N>
constexpr int64_t kImproveBudget = N == 9 ? 8 * GridShape<N>::kCells : 0;

// Branching in reading order with digits ascending, the first solution found
// is the smallest (above the bound, if any). On boards with many solutions
// that takes a straight run down the board; where it would have to refute a
// wrong early digit it soon runs out of budget and the oracle takes over.
template <int N>
Outcome Probe(const GridState<N>& from, const Query& bound, const EngineContext& context,
              uint8_t* witness) {
  Query probe = bound;
  probe.preferred = nullptr;
  probe.readingOrder = true;
  probe.nodeBudget = kProbeBudget<N>;
  return Solve(from, probe, context, witness);
}

// From a walk whose cells before `from` are decided and a witness `best`
// within it, turns best into the smallest solution of the walk. Each cell
// keeps best's digit unless the oracle finds a solution with a smaller one;
// a query bounded below best over all remaining cells ends the walk as soon
// as best is the smallest, which settles a puzzle with one solution at once.
template <int N>
Outcome CompleteSmallest(LexWork<N>* work, int from, const EngineContext& context) {
  constexpr int kCells = GridShape<N>::kCells;
  if constexpr (N != 9) {
    // A straight run down a sparse board finds its smallest solution at once;
    // otherwise the search that learns clauses asks the cell by cell
    // questions, carrying what each refutation taught it to the next.
    Outcome outcome = Probe(work->walk, Query(), context, work->other);
    if (outcome == Outcome::kStopped) return Outcome::kStopped;
    if (outcome == Outcome::kFound) {
      TakeWitness(work);
      return Outcome::kFound;
    }
    outcome = SmallestCompletion<N>(work->walk.cand, from, context, work->best);
    if (outcome == Outcome::kFound) return Outcome::kFound;
    if (outcome == Outcome::kStopped) return Outcome::kStopped;
  }
  GridState<N>& walk = work->walk;
  int c = from;
  int probes = 0;
  for (;;) {
    Query below;
    below.bound = LexBound::kBelow;
    below.boundDigits = work->best;
    // Solutions near the one in hand come first; but the first query of a
    // walk is often the proof that best is the smallest, where that order
    // costs more than it saves, so there it only gets a short try.
    walk.lexPos = c;
    Outcome outcome = Outcome::kOverBudget;
    if (c == from) {
      Query near = below;
      near.preferred = work->best;
      near.nodeBudget = kNearBudget<N>;
      outcome = Solve(walk, near, context, work->other);
    }
    if (c > from) below.preferred = work->best;
    if (outcome == Outcome::kOverBudget) outcome = Solve(walk, below, context, work->other);
    if (outcome != Outcome::kFound) {
      return outcome == Outcome::kNone ? Outcome::kFound : FromQuery(outcome);
    }
    TakeWitness(work);
    if (probes < kProbeTries) {
      ++probes;
      outcome = Probe(walk, Query(), context, work->other);
      if (outcome == Outcome::kStopped) return Outcome::kStopped;
      if (outcome == Outcome::kFound) {
        TakeWitness(work);
        return Outcome::kFound;
      }
    }
    bool improved = false;
    for (; c < kCells && !improved; ++c) {
      const uint32_t m = walk.cand[c];
      if (IsSingle(m)) continue;
      const uint32_t smaller = m & (BitOf(work->best[c]) - 1);
      if (smaller != 0) {
        Query cell;
        cell.restrictCell = c;
        cell.restrictMask = smaller;
        cell.firstCell = c;
        cell.preferred = work->best;
        outcome = Solve(walk, cell, context, work->other);
        if (outcome == Outcome::kStopped) return Outcome::kStopped;
        if (outcome == Outcome::kFound) {
          TakeWitness(work);
          improved = true;
        }
      }
      // best is a solution within the walk, so deciding its digit never fails.
      const bool kept = Assign(&walk, c, work->best[c]);
      assert(kept);
      (void)kept;
    }
    if (c == kCells) return Outcome::kFound;
  }
}

}  // namespace

template <int N>
Outcome SmallestSolution(const uint32_t* masks, const EngineContext& context, uint8_t* solution) {
  LexWork<N>& work = lexWork<N>;
  work.best = work.digits[0];
  work.other = work.digits[1];
  if (!LoadRoot(&work.walk, masks)) return Outcome::kNone;
  Outcome counted;
  {
    OnlySolution<N>& only = onlySolution<N>;
    only.known = false;
    Query one;
    one.onlyOne = true;
    one.nodeBudget = kOnlyOneBudget<N>;
    counted = Solve(work.walk, one, context, work.best);
    if constexpr (N != 9) {
      if (counted == Outcome::kOverBudget) {
        counted = CountToTwo<N>(masks, context, 0, work.best);
      }
    }
    if (counted == Outcome::kStopped) return Outcome::kStopped;
    if (counted == Outcome::kNone) return Outcome::kNone;
    if (counted == Outcome::kFound) {
      only.known = true;
      std::memcpy(only.masks, masks, sizeof only.masks);
      std::memcpy(only.digits, work.best, sizeof only.digits);
      std::memcpy(solution, work.best, GridShape<N>::kCells);
      return Outcome::kFound;
    }
  }
  // Most puzzles with one solution are settled by one branch-and-bound search;
  // boards with many solutions soon leave it for the walk below.
  Query smallest;
  smallest.improve = true;
  smallest.nodeBudget = kImproveBudget<N>;
  Outcome outcome =
      kImproveBudget<N> > 0 ? Solve(work.walk, smallest, context, work.best) : Outcome::kOverBudget;
  if (outcome == Outcome::kFound) {
    std::memcpy(solution, work.best, GridShape<N>::kCells);
    return Outcome::kFound;
  }
  if (outcome == Outcome::kOverBudget && counted == Outcome::kSeveral && kImproveBudget<N> == 0) {
    // The search for a second solution found a first: a witness in hand.
    outcome = Outcome::kFound;
  } else if (outcome == Outcome::kOverBudget) {
    Query any;
    any.restarts = true;
    outcome = Solve(work.walk, any, context, work.best);
  } else if (outcome == Outcome::kImproving) {
    outcome = Outcome::kFound;
  }
  if (outcome != Outcome::kFound) return FromQuery(outcome);
  const Outcome result = CompleteSmallest(&work, 0, context);
  if (result == Outcome::kFound) std::memcpy(solution, work.best, GridShape<N>::kCells);
  return result;
}

// The next solution after S keeps S's longest possible prefix: a query bounded
// above S gives a witness leaving S at some cell j; asking again with S's
// digits kept up to j pushes j on until no solution leaves S later. Cell j
// then takes the smallest digit above S's that a solution uses, and the cells
// behind it the smallest completion.
template <int N>
Outcome NextSolution(const uint32_t* masks, const uint8_t* previous, const EngineContext& context,
                     uint8_t* solution) {
  constexpr int kCells = GridShape<N>::kCells;
  if (IsOnlySolutionOf<N>(masks) && std::memcmp(onlySolution<N>.digits, previous, kCells) == 0) {
    return Outcome::kNone;
  }
  LexWork<N>& work = lexWork<N>;
  work.best = work.digits[0];
  work.other = work.digits[1];
  if (!LoadRoot(&work.walk, masks)) return Outcome::kNone;
  Query above;
  above.bound = LexBound::kAbove;
  above.boundDigits = previous;
  above.preferred = previous;
  Outcome outcome = Solve(work.walk, above, context, work.best);
  if (outcome != Outcome::kFound) return FromQuery(outcome);
  outcome = Probe(work.walk, above, context, work.other);
  if (outcome == Outcome::kStopped) return Outcome::kStopped;
  if (outcome == Outcome::kFound) {
    std::memcpy(solution, work.other, kCells);
    return Outcome::kFound;
  }
  int j = FirstDifference<N>(work.best, previous);
  int kept = 0;
  for (;;) {
    // best agrees with S before j, so keeping those digits never fails.
    for (; kept < j; ++kept) {
      const bool held = Assign(&work.walk, kept, previous[kept]);
      assert(held);
      (void)held;
    }
    work.probe = work.walk;
    if (!Assign(&work.probe, j, previous[j])) break;
    work.probe.lexPos = j + 1;
    outcome = Solve(work.probe, above, context, work.other);
    if (outcome == Outcome::kStopped) return Outcome::kStopped;
    if (outcome == Outcome::kNone) break;
    TakeWitness(&work);
    j = FirstDifference<N>(work.best, previous);
  }
  const uint32_t leftOf = BitOf(previous[j]);
  const uint32_t between = work.walk.cand[j] & ~(leftOf | (leftOf - 1)) & (BitOf(work.best[j]) - 1);
  if (between != 0) {
    Query cell;
    cell.restrictCell = j;
    cell.restrictMask = between;
    cell.firstCell = j;
    outcome = Solve(work.walk, cell, context, work.other);
    if (outcome == Outcome::kStopped) return Outcome::kStopped;
    if (outcome == Outcome::kFound) TakeWitness(&work);
  }
  const bool held = Assign(&work.walk, j, work.best[j]);
  assert(held);
  (void)held;
  const Outcome result = CompleteSmallest(&work, j + 1, context);
  if (result == Outcome::kFound) std::memcpy(solution, work.best, kCells);
  return result;
}

template Outcome SmallestSolution<9>(const uint32_t*, const EngineContext&, uint8_t*);
template Outcome SmallestSolution<16>(const uint32_t*, const EngineContext&, uint8_t*);
template Outcome SmallestSolution<25>(const uint32_t*, const EngineContext&, uint8_t*);
template Outcome NextSolution<9>(const uint32_t*, const uint8_t*, const EngineContext&, uint8_t*);
template Outcome NextSolution<16>(const uint32_t*, const uint8_t*, const EngineContext&, uint8_t*);
template Outcome NextSolution<25>(const uint32_t*, const uint8_t*, const EngineContext&, uint8_t*);
