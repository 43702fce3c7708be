// A complete solver on the bitmask board: propagation of naked and hidden
// singles, box-line reductions and (16x16, 25x25) the matching filter of each
// unit, and a depth-first search branching where units failed most, that
// answers "is there a solution within these candidates (and this
// lexicographic bound)?" with a witness. The lexicographic walk
// (lex_search.cpp) drives it. Runs on the solve worker only; all its working
// memory is static.
#pragma once

#include <atomic>
#include <cstdint>

#include "solver/engine/bit_grid.h"
#include "solver/engine/engine.h"

// A solution X must compare with `bound` (digits in reading order) like this.
enum class LexBound { kNone, kBelow, kAbove };

// What a step of propagation did to the candidates: nothing, removed some, or
// emptied a cell or a unit.
enum class Change { kNone, kSome, kContradiction };

struct Query {
  LexBound bound = LexBound::kNone;
  const uint8_t* boundDigits = nullptr;
  // The root's candidates of restrictCell are cut to restrictMask first.
  int restrictCell = -1;
  uint32_t restrictMask = 0;
  // Branch on this cell first, digits ascending, so the witness holds the
  // smallest digit of the cell that any solution uses.
  int firstCell = -1;
  // Digit to try first in each cell (0 or null: the smallest candidate).
  const uint8_t* preferred = nullptr;
  // Branch on the first undecided cell in reading order instead of the one
  // with the fewest candidates: the first solution found is then the smallest.
  bool readingOrder = false;
  // Starts over from the root, keeping what it proved there and the weights
  // it learned, after growing numbers of nodes: a search for some solution
  // escapes an early wrong turn so (a proof of none gains nothing from it).
  bool restarts = false;
  // Branch and bound: each solution found becomes the bound the rest must
  // stay below, and kFound means the witness is the smallest solution.
  bool improve = false;
  // Searches the whole tree: kFound means the witness is the one solution
  // there is (kSeveral when there are more).
  bool onlyOne = false;
  // Gives up after this many nodes (0: no limit).
  int64_t nodeBudget = 0;
};

// Decides `cell` to `digit` in a settled state and settles again.
template <int N>
bool Assign(GridState<N>* state, int cell, int digit);

// Builds the settled root from candidate masks in reading order (a decided
// cell has one bit) and starts the unit weights afresh. False when the
// candidates already contradict.
template <int N>
bool LoadRoot(GridState<N>* state, const uint32_t* masks);

// A search with restarts starts over after kFirstRestart nodes, then after
// half as many again each time, until the gap passes kLastRestart.
constexpr int64_t kFirstRestart = 300;
constexpr int64_t kLastRestart = 20000;

// What both engines count at every node of a query: the nodes so far, when
// the next restart is due (-1: none) and when the watcher is next asked.
struct NodeClock {
  int64_t nodes;
  int64_t restartGap;
  int64_t restartAt;
  int64_t watchAt;
};

inline NodeClock StartClock(const Query& query) {
  return {1, kFirstRestart, query.restarts ? kFirstRestart : -1, kWatchNodes};
}

// Whether the caller watching the search wants to see it now. Asks it once
// `nodes` reaches *watchAt, then kWatchNodes nodes later; never when no one
// watches.
inline bool WatchDue(const EngineContext& context, int64_t nodes, int64_t* watchAt) {
  if (context.watch == nullptr || nodes < *watchAt) return false;
  *watchAt = nodes + kWatchNodes;
  return context.watch->due();
}

// Shows the watcher the decided cells of candidate masks in reading order.
template <int N>
void ShowMasks(const EngineContext& context, const uint32_t* cand) {
  uint8_t digits[GridShape<N>::kCells];
  for (int c = 0; c < GridShape<N>::kCells; ++c) {
    digits[c] = static_cast<uint8_t>(cand[c] != 0 && IsSingle(cand[c]) ? DigitOf(cand[c]) : 0);
  }
  context.watch->show(digits);
}

// True when the search should go back to its root now; schedules the next.
inline bool RestartDue(NodeClock* clock) {
  if (clock->restartAt < 0 || clock->nodes < clock->restartAt) return false;
  clock->restartGap += clock->restartGap / 2;
  clock->restartAt = clock->restartGap > kLastRestart ? -1 : clock->nodes + clock->restartGap;
  return true;
}

// Ends a query: its nodes count as search steps.
inline Outcome Finish(const NodeClock& clock, const EngineContext& context, Outcome outcome) {
  *context.steps += clock.nodes;
  return outcome;
}

inline bool StopRequested(const EngineContext& context) {
  return context.stopRequested->load(std::memory_order_relaxed) != 0;
}

// Whether the query must end at this node, asked to stop or over its budget;
// *outcome then says how. `improving`: a witness from an improving query is
// in hand.
inline bool MustEnd(const NodeClock& clock, const Query& query, const EngineContext& context,
                    bool improving, Outcome* outcome) {
  if (StopRequested(context)) {
    *outcome = Finish(clock, context, Outcome::kStopped);
    return true;
  }
  if (query.nodeBudget > 0 && clock.nodes > query.nodeBudget) {
    *outcome = Finish(clock, context, improving ? Outcome::kImproving : Outcome::kOverBudget);
    return true;
  }
  return false;
}

// At a solution: whether the query ends there, with *outcome. Otherwise it
// goes on for a second solution (onlyOne) or a smaller one (improve, its
// bound tightened to this one), `write` having put the digits in `witness`.
template <typename WriteWitness>
bool EndsAtSolution(const NodeClock& clock, const Query& query, const EngineContext& context,
                    int depth, uint8_t* witness, bool* haveWitness, Query* active, Outcome* outcome,
                    WriteWitness write) {
  if (query.onlyOne && *haveWitness) {
    *outcome = Finish(clock, context, Outcome::kSeveral);
    return true;
  }
  write();
  if (!(query.improve || query.onlyOne) || depth == 0) {
    *outcome = Finish(clock, context, Outcome::kFound);
    return true;
  }
  *haveWitness = true;
  if (query.improve) {
    active->bound = LexBound::kBelow;
    active->boundDigits = witness;
  }
  return false;
}

// Searches the solutions of a settled `root` under `query`. On kFound,
// witness holds one in reading order.
template <int N>
Outcome Solve(const GridState<N>& root, const Query& query, const EngineContext& context,
              uint8_t* witness);
// On 9x9 all three run on digit bitboards (oracle_9x9.cpp).
template <>
bool Assign<9>(GridState<9>* state, int cell, int digit);
template <>
bool LoadRoot<9>(GridState<9>* state, const uint32_t* masks);
template <>
Outcome Solve<9>(const GridState<9>& root, const Query& query, const EngineContext& context,
                 uint8_t* witness);
