// The race between two searches on one count: the state they share, the
// clauses each takes over from the other, and the hand-over of the first
// solution either finds.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "solver/engine/clause_analysis.h"
#include "solver/engine/clause_lane.h"
#include "solver/engine/clause_learner.h"
#include "solver/engine/clause_store.h"

// Included by clause_search.cpp alone, so that the whole search is one
// translation unit and its steps inline into one another.
namespace {

// Two searches on one count, on two threads: the first to answer ends both.
// Each hands the other its short learned clauses, so that the two together
// refute the boards without a solution faster than either alone. The first
// solution either side finds is the race's: the other side takes it over and
// helps prove there is no other, or, having found a different one at the
// same time, answers "several". A clause learned while proving relies on the
// clause that excludes that solution; it is tagged, and a side takes it only
// while it proves the same.
template <int N>
struct Race {
  ClauseLane lanes[2];  // lanes[i]: the clauses side i learned
  std::atomic<int32_t> over;
  std::atomic<int32_t> winner;
  // The side whose solution is the race's (-1: none yet), and that solution
  // with the clause "not all of the decisions that led to it", in place
  // once `published` is set.
  std::atomic<int32_t> finder;
  std::atomic<bool> published;
  uint8_t solution[GridShape<N>::kCells];
  Lit blocking[GridShape<N>::kCells];
  int blockingSize;
  const uint32_t* masks;
  const std::atomic<int32_t>* stopRequested;
  Outcome secondOutcome;
  int64_t secondSteps;
  uint8_t secondWitness[GridShape<N>::kCells];
};

// Conflicts a count goes through alone before a second search joins it:
// shorter counts are not worth a thread.
constexpr int64_t kRaceAfter = 500;

// Adds a clause from the other side. It may be satisfied, force a literal or
// be violated where the search stands; the search goes back as far as it
// must for the clause to be watched as if it had been there all along.
template <int N>
void Adopt(Learner<N>* s, Lit* lits, int size) {
  // Literals false from the root drop out; one true there leaves nothing.
  int n = 0;
  for (int k = 0; k < size; ++k) {
    const Lit lit = lits[k];
    if (s->value[lit] != kUnset && s->level[VarOf(lit)] == 0) {
      if (s->value[lit] == kTrue) return;
      continue;
    }
    lits[n++] = lit;
  }
  // Violated from the root: the other side ends the count itself.
  if (n == 0) return;
  if (n == 1) {
    Backtrack(s, 0);
    Enqueue(s, lits[0], Pack(Why::kDecision, 0));
    return;
  }
  // Unset and true literals first, then the false ones, latest level first.
  auto rank = [s](Lit lit) {
    return IsFalse(*s, lit) ? static_cast<int>(s->level[VarOf(lit)]) : GridShape<N>::kCells + 1;
  };
  std::sort(lits, lits + n, [&](Lit a, Lit b) { return rank(a) > rank(b); });
  const int levels = LevelsOf(s, lits, n);
  const int below = s->level[VarOf(lits[1])];
  // Two literals not false, or one true no later than the false ones.
  if (!IsFalse(*s, lits[1]) || (IsTrue(*s, lits[0]) && s->level[VarOf(lits[0])] <= below)) {
    if (MakeRoom(s, n)) AddClause(s, lits, n, levels, false);
    return;
  }
  // Violated with two literals of one level: left for the search to meet.
  if (IsFalse(*s, lits[0]) && s->level[VarOf(lits[0])] == below) return;
  // lits[0] is forced from level `below` on.
  Backtrack(s, below);
  if (!MakeRoom(s, n)) return;
  const int index = AddClause(s, lits, n, levels, false);
  Enqueue(s, lits[0], Pack(Why::kClause, static_cast<uint32_t>(index)));
}

// Adds the clauses the other side learned since the last look.
template <int N>
void TakeShared(Learner<N>* s) {
  s->race->lanes[1 - s->side].TakeNew(&s->taken, [s](int tag, Lit* lits, int size) {
    if (tag == 0 || s->proving) Adopt(s, lits, size);
  });
}

// Whether the other side has found a solution while this one still looks.
template <int N>
bool OtherSolved(const Learner<N>& s) {
  return !s.proving && s.race->published.load(std::memory_order_acquire);
}

template <int N>
bool Outrun(const Learner<N>& s) {
  return s.race != nullptr && s.race->over.load(std::memory_order_relaxed) != 0;
}

// Ends the race when `outcome` answers the count and the other side has not
// answered first.
template <int N>
void Claim(Race<N>* r, int side, Outcome outcome) {
  if (outcome != Outcome::kFound && outcome != Outcome::kNone && outcome != Outcome::kSeveral) {
    return;
  }
  int32_t none = -1;
  if (r->winner.compare_exchange_strong(none, side)) r->over.store(1);
}

// The other side's solution is a solution here too: this side takes it as
// its own, with the clause that excludes it, and goes on to prove there is no
// other (false), or ends at once (true) with *outcome: kFound when its facts
// already leave no other, kOverBudget when the clause finds no room.
template <int N>
bool TakeOthersSolution(Learner<N>* s, uint8_t* witness, Outcome* outcome) {
  const Race<N>& r = *s->race;
  std::memcpy(witness, r.solution, GridShape<N>::kCells);
  Lit blocking[GridShape<N>::kCells];
  int n = 0;
  Backtrack(s, 0);
  // A decision of the other side that is a fact here leaves the clause.
  for (int k = 0; k < r.blockingSize; ++k) {
    if (!IsFalse(*s, r.blocking[k])) blocking[n++] = r.blocking[k];
  }
  s->proving = true;
  if (n == 0) {
    *outcome = Outcome::kFound;
    return true;
  }
  if (n == 1) {
    Enqueue(s, blocking[0], Pack(Why::kDecision, 0));
  } else {
    if (!MakeRoom(s, n)) {
      *outcome = Outcome::kOverBudget;
      return true;
    }
    AddClause(s, blocking, n, n, true);
  }
  return false;
}

// This side found `witness`. Unless the other side found one first, it
// becomes the race's solution (true). If the other side did, and its
// solution is another, there are two (false).
template <int N>
bool Publish(Learner<N>* s, const uint8_t* witness) {
  Race<N>& r = *s->race;
  int32_t none = -1;
  if (r.finder.compare_exchange_strong(none, s->side)) {
    r.blockingSize = BlockingClause(*s, r.blocking);
    std::memcpy(r.solution, witness, GridShape<N>::kCells);
    r.published.store(true, std::memory_order_release);
    return true;
  }
  // The other side is writing it out, if it has not yet.
  while (!r.published.load(std::memory_order_acquire)) std::this_thread::yield();
  return std::memcmp(r.solution, witness, GridShape<N>::kCells) == 0;
}

}  // namespace
