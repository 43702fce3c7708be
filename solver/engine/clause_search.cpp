// The clause search's two queries, CountToTwo and SmallestCompletion, and
// the loop they share: propagate, learn from a conflict, decide. The parts
// it draws on: clause_learner.h (the state), clause_store.h (clauses,
// watches, propagation), clause_analysis.h (learning from a conflict),
// next_decision.h (branching) and clause_race.h (two searches on one count).
#include "solver/engine/clause_search.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <random>
#include <system_error>
#include <thread>

#include "solver/engine/bit_grid.h"
#include "solver/engine/clause_analysis.h"
#include "solver/engine/clause_lane.h"
#include "solver/engine/clause_learner.h"
#include "solver/engine/clause_race.h"
#include "solver/engine/clause_store.h"
#include "solver/engine/next_decision.h"

namespace {

// Two learners: the second races the first on long counts.
template <int N>
Learner<N> learners[2];

template <int N>
Race<N> race;

// The second side's thread. It is never destroyed, so a program that ends
// during a race is not terminated by a joinable std::thread.
template <int N>
std::thread& secondThread = *new std::thread;

template <int N>
bool Load(Learner<N>* s, const uint32_t* masks) {
  constexpr int kCells = GridShape<N>::kCells;
  const GridTables<N>& tables = Tables<N>();
  s->tables = &tables;
  for (int u = 0; u < GridShape<N>::kUnits; ++u) {
    for (int k = 0; k < N; ++k) {
      const int cell = tables.units[u][k];
      for (int j = 0; j < 3; ++j) {
        if (tables.cellUnits[cell][j] == u) {
          s->links[cell][j] = {static_cast<uint8_t>(u), static_cast<uint8_t>(k)};
        }
      }
      s->places[u][k] = 0;
    }
  }
  s->trailSize = 0;
  s->head = 0;
  s->decisionLevel = 0;
  s->bump = 1.0;
  s->clauseBump = 1.0f;
  s->literalsUsed = 0;
  s->clauseCount = 0;
  s->markRound = 0;
  std::fill(std::begin(s->levelMark), std::end(s->levelMark), 0u);
  s->watches.Clear();
  for (int c = 0; c < kCells; ++c) {
    const uint32_t m = masks[c] & GridShape<N>::kAll;
    s->domain[c] = m;
    s->cellPeak[c] = 0.0;
    for (int d = 0; d < N; ++d) {
      const int var = c * N + d;
      const bool open = (m >> d & 1) != 0;
      // What the candidates rule out is false from the start and never
      // needs explaining.
      s->value[Holds(var)] = open ? kUnset : kFalse;
      s->value[Fails(var)] = open ? kUnset : kTrue;
      s->level[var] = 0;
      s->reason[var] = Pack(Why::kDecision, 0);
      s->seen[var] = 0;
      s->rulesOut[var] = 0;
      s->activity[var] = 0.0;
      if (open) {
        for (int k = 0; k < 3; ++k) {
          s->places[s->links[c][k].unit][d] |= uint32_t{1} << s->links[c][k].place;
        }
      }
    }
  }
  // Decided cells and digits with one place are the root's consequences.
  for (int c = 0; c < kCells; ++c) {
    const uint32_t m = s->domain[c];
    if (m == 0) return false;
    if (IsSingle(m) && !Enqueue(s, Holds(c * N + LowestIndex(m)), Pack(Why::kOnlyDigit, 0))) {
      return false;
    }
  }
  for (int u = 0; u < GridShape<N>::kUnits; ++u) {
    for (int d = 0; d < N; ++d) {
      const uint32_t where = s->places[u][d];
      if (where == 0) return false;
      if (!IsSingle(where)) continue;
      const int var = tables.units[u][LowestIndex(where)] * N + d;
      if (s->value[Holds(var)] == kUnset &&
          !Enqueue(s, Holds(var), Pack(Why::kOnlyPlace, static_cast<uint32_t>(u)))) {
        return false;
      }
    }
  }
  return Propagate(s);
}

// Learns from the conflict in s->conflict, goes back to where the learned
// clause forces its first literal and sets it. False when the conflict needs
// no decision at all, or when there is no room left for the clause.
template <int N>
bool Learn(Learner<N>* s, bool* full) {
  int highest = 0;
  for (int k = 0; k < s->conflictSize; ++k) {
    highest = std::max(highest, static_cast<int>(s->level[VarOf(s->conflict[k])]));
  }
  if (highest == 0) return false;
  // A conflict may lie wholly below the current level (a learned clause found
  // violated late); it is analysed where it arose.
  Backtrack(s, highest);
  int backLevel;
  int levels;
  const int size = Analyze(s, &backLevel, &levels);
  Backtrack(s, backLevel);
  if (!Assert(s, s->learned, size, levels, false)) {
    *full = true;
    return false;
  }
  if (s->race != nullptr && size <= ClauseLane::kMostLiterals) {
    s->race->lanes[s->side].Put(s->proving ? 1 : 0, s->learned, size);
  }
  s->bump *= kActivityGrowth;
  s->clauseBump *= kClauseGrowth;
  if (s->clauseBump > 1e20f) {
    for (int i = 0; i < s->clauseCount; ++i) s->clauses[i].activity *= 1e-20f;
    s->clauseBump *= 1e-20f;
  }
  return true;
}

template <int N>
void StartSecond(Race<N>* r);

// What one call spends, counted as search steps, when the learned clauses
// are next cleaned up, and when a watcher is next asked.
struct Effort {
  int64_t conflicts = 0;
  int64_t decisions = 0;
  int64_t nextReduce = kFirstReduce;
  int64_t watchAt = kWatchNodes;
};

// Searches on from the current state for a solution, deciding `assumption`
// first unless it is kNoLit: kFound with the solution in `witness`, kNone when
// there is none (with the assumption), kStopped, or kOverBudget after
// `conflictBudget` conflicts in all (0: no limit) or when the clauses fill
// their room. What it learns holds without the assumption.
template <int N>
Outcome FindSolution(Learner<N>* s, Lit assumption, const EngineContext& context,
                     int64_t conflictBudget, Effort* effort, uint8_t* witness) {
  for (;;) {
    if (!Propagate(s)) {
      ++effort->conflicts;
      if (StopRequested(context) || Outrun(*s)) return Outcome::kStopped;
      if (conflictBudget > 0 && effort->conflicts > conflictBudget) {
        return Outcome::kOverBudget;
      }
      bool full = false;
      if (!Learn(s, &full)) return full ? Outcome::kOverBudget : Outcome::kNone;
      if (s->race != nullptr) {
        TakeShared(s);
        // Count takes the other side's solution and proves it the only one.
        if (OtherSolved(*s)) return Outcome::kStopped;
        if (s->side == 0 && effort->conflicts == kRaceAfter) StartSecond(s->race);
      }
      continue;
    }
    if (effort->conflicts >= effort->nextReduce) {
      effort->nextReduce =
          effort->conflicts + kFirstReduce + kReduceGrowth * (effort->conflicts / kFirstReduce);
      Reduce(s, false);
    }
    if (StopRequested(context) || Outrun(*s)) return Outcome::kStopped;
    if (WatchDue(context, effort->conflicts + effort->decisions, &effort->watchAt)) {
      ShowMasks<N>(context, s->domain);
    }
    int var = -1;
    if (s->decisionLevel == 0 && assumption != kNoLit && !IsTrue(*s, assumption)) {
      if (IsFalse(*s, assumption)) return Outcome::kNone;
      var = VarOf(assumption);
    } else {
      var = ChooseVariable(*s);
    }
    if (var < 0) {
      for (int c = 0; c < GridShape<N>::kCells; ++c) {
        witness[c] = static_cast<uint8_t>(DigitOf(s->domain[c]));
      }
      return Outcome::kFound;
    }
    ++effort->decisions;
    s->levelStart[s->decisionLevel++] = s->trailSize;
    Enqueue(s, var == VarOf(assumption) ? assumption : Holds(var), Pack(Why::kDecision, 0));
  }
}

// Makes `lit` a fact: true from the root on. False when it contradicts what
// is known.
template <int N>
bool Settle(Learner<N>* s, Lit lit) {
  Backtrack(s, 0);
  if (IsFalse(*s, lit)) return false;
  if (!IsTrue(*s, lit)) Enqueue(s, lit, Pack(Why::kDecision, 0));
  return Propagate(s);
}

// CountToTwo on one learner, alone or on its side of a race.
template <int N>
Outcome Count(Learner<N>* s, const uint32_t* masks, const EngineContext& context,
              int64_t conflictBudget, uint8_t* witness) {
  Effort effort;
  auto finish = [&](Outcome outcome) {
    *context.steps += effort.conflicts + effort.decisions;
    return outcome;
  };
  s->taken = 0;
  s->proving = false;
  if (!Load(s, masks)) return finish(Outcome::kNone);
  if (s->race != nullptr && s->side == 1) {
    // The second side starts from other choices, not to retrace the first.
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> tiny(0.0, 1e-3);
    for (int v = 0; v < Learner<N>::kVars; ++v) {
      s->activity[v] = tiny(rng);
      s->cellPeak[v / N] = std::max(s->cellPeak[v / N], s->activity[v]);
    }
  }
  const Outcome first = FindSolution(s, kNoLit, context, conflictBudget, &effort, witness);
  if (first == Outcome::kStopped && s->race != nullptr && !StopRequested(context) && !Outrun(*s) &&
      OtherSolved(*s)) {
    Outcome taken = Outcome::kNone;
    if (TakeOthersSolution(s, witness, &taken)) return finish(taken);
  } else {
    if (first != Outcome::kFound || s->decisionLevel == 0) return finish(first);
    // Published before any clause that relies on excluding it.
    if (s->race != nullptr && !Publish(s, witness)) return finish(Outcome::kSeveral);
    s->proving = true;
    if (!BlockSolution(s)) return finish(Outcome::kOverBudget);
  }
  switch (FindSolution(s, kNoLit, context, conflictBudget, &effort, s->scratch)) {
    case Outcome::kFound:
      return finish(Outcome::kSeveral);
    case Outcome::kNone:
      return finish(Outcome::kFound);
    case Outcome::kStopped:
      return finish(Outcome::kStopped);
    default:
      return finish(Outcome::kOverBudget);
  }
}

template <int N>
void StartSecond(Race<N>* r) {
  try {
    secondThread<N> = std::thread([r] {
      const EngineContext context{r->stopRequested, &r->secondSteps};
      r->secondOutcome = Count(&learners<N>[1], r -> masks, context, 0, r -> secondWitness);
      Claim(r, 1, r->secondOutcome);
    });
  } catch (const std::system_error&) {
    // No second thread: the first search goes on alone.
  }
}

}  // namespace

// A long count races a second search on another processor, if there is one;
// the answer is the same whichever side gives it.
template <int N>
Outcome CountToTwo(const uint32_t* masks, const EngineContext& context, int64_t conflictBudget,
                   uint8_t* witness) {
  Learner<N>* first = &learners<N>[0];
  first->race = nullptr;
  if (conflictBudget != 0 || std::thread::hardware_concurrency() < 2) {
    return Count(first, masks, context, conflictBudget, witness);
  }
  Race<N>& r = race<N>;
  for (int side = 0; side < 2; ++side) {
    r.lanes[side].Clear();
    learners<N>[side].race = &r;
    learners<N>[side].side = side;
  }
  r.over.store(0);
  r.winner.store(-1);
  r.finder.store(-1);
  r.published.store(false);
  r.masks = masks;
  r.stopRequested = context.stopRequested;
  r.secondOutcome = Outcome::kStopped;
  r.secondSteps = 0;
  const Outcome outcome = Count(first, masks, context, 0, witness);
  Claim(&r, 0, outcome);
  if (secondThread<N>.joinable()) {
    // Without an answer of its own (its clauses filled their room) the first
    // side waits for the second's.
    secondThread<N>.join();
    *context.steps += r.secondSteps;
  }
  first->race = nullptr;
  if (r.winner.load() == 1) {
    std::memcpy(witness, r.secondWitness, GridShape<N>::kCells);
    return r.secondOutcome;
  }
  return outcome;
}

template <int N>
Outcome FindAny(const uint32_t* masks, const uint8_t* preferred, const EngineContext& context,
                int64_t conflictBudget, uint8_t* witness) {
  Learner<N>& s = learners<N>[0];
  s.race = nullptr;
  Effort effort;
  Outcome outcome = Outcome::kNone;
  s.preferred = preferred;
  if (Load(&s, masks))
    outcome = FindSolution(&s, kNoLit, context, conflictBudget, &effort, witness);
  s.preferred = nullptr;
  *context.steps += effort.conflicts + effort.decisions;
  return outcome;
}

template <int N>
Outcome SmallestCompletion(const uint32_t* masks, int from, const EngineContext& context,
                           uint8_t* best) {
  constexpr int kCells = GridShape<N>::kCells;
  Learner<N>& s = learners<N>[0];
  s.race = nullptr;
  Effort effort;
  auto finish = [&](Outcome outcome) {
    *context.steps += effort.conflicts + effort.decisions;
    return outcome;
  };
  // best lies within the masks and keeps every fact below, so none of these
  // can fail; if one did, the caller's own walk would take over.
  if (!Load(&s, masks)) return finish(Outcome::kOverBudget);
  for (int c = 0; c < from; ++c) {
    if (!Settle(&s, Holds(c * N + best[c] - 1))) return finish(Outcome::kOverBudget);
  }
  for (int c = from; c < kCells; ++c) {
    Backtrack(&s, 0);
    for (uint32_t smaller = s.domain[c] & (BitOf(best[c]) - 1); smaller != 0;
         smaller &= smaller - 1) {
      const int var = c * N + LowestIndex(smaller);
      if (IsFalse(s, Holds(var))) continue;
      const Outcome found = FindSolution(&s, Holds(var), context, 0, &effort, s.scratch);
      if (found == Outcome::kStopped || found == Outcome::kOverBudget) {
        return finish(found);
      }
      if (found == Outcome::kFound) {
        std::copy(s.scratch, s.scratch + kCells, best);
        break;
      }
      // No solution has this digit here, whatever follows.
      if (!Settle(&s, Fails(var))) return finish(Outcome::kOverBudget);
    }
    if (!Settle(&s, Holds(c * N + best[c] - 1))) return finish(Outcome::kOverBudget);
  }
  return finish(Outcome::kFound);
}

template Outcome CountToTwo<16>(const uint32_t*, const EngineContext&, int64_t, uint8_t*);
template Outcome CountToTwo<25>(const uint32_t*, const EngineContext&, int64_t, uint8_t*);
template Outcome FindAny<16>(const uint32_t*, const uint8_t*, const EngineContext&, int64_t,
                             uint8_t*);
template Outcome FindAny<25>(const uint32_t*, const uint8_t*, const EngineContext&, int64_t,
                             uint8_t*);
template Outcome SmallestCompletion<16>(const uint32_t*, int, const EngineContext&, uint8_t*);
template Outcome SmallestCompletion<25>(const uint32_t*, int, const EngineContext&, uint8_t*);
