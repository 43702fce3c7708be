// The analysis of a conflict: the clause learned from it (first unique
// implication point, shortened), the levels it ties, and the clauses that
// assert a literal or block a solution found.
#pragma once

#include <algorithm>

#include "solver/engine/clause_learner.h"
#include "solver/engine/clause_store.h"

// Included by clause_search.cpp alone, so that the whole search is one
// translation unit and its steps inline into one another.
namespace {

// How many decision levels a clause's literals lie on, the unset ones
// counted as one more.
template <int N>
int LevelsOf(Learner<N>* s, const Lit* lits, int size) {
  ++s->markRound;
  int levels = 0;
  bool unset = false;
  for (int k = 0; k < size; ++k) {
    if (s->value[lits[k]] == kUnset) {
      unset = true;
      continue;
    }
    const int l = s->level[VarOf(lits[k])];
    if (s->levelMark[l] != s->markRound) {
      s->levelMark[l] = s->markRound;
      ++levels;
    }
  }
  return levels + (unset ? 1 : 0);
}

// Several "this digit" literals of a learned clause that one placement
// ruled out give way to "not that placement": the placement and each of them
// exclude each other, so the new clause follows from the old. It is shorter,
// and unit propagation can forbid the placement from it, where the old
// clause waited until all but one of those literals were false. For a single
// literal the swap would only weaken the clause (that literal, once set,
// forbids the placement anyway). A placement lies on the level of what it
// ruled out, so the clause's levels stay as they were. Returns the new size.
template <int N>
int GroupByPlacement(Learner<N>* s, int size) {
  auto placementOf = [s](Lit q) {
    const Reason why = s->reason[VarOf(q)];
    return KindOf(why) == Why::kExcluded ? static_cast<int>(DataOf(why)) : -1;
  };
  int counted = 0;
  for (int k = 1; k < size; ++k) {
    const int placement = placementOf(s->learned[k]);
    if (placement >= 0 && s->rulesOut[placement]++ == 0) s->placements[counted++] = placement;
  }
  int kept = 1;
  for (int k = 1; k < size; ++k) {
    Lit q = s->learned[k];
    const int placement = placementOf(q);
    if (placement >= 0 && s->rulesOut[placement] >= 2) q = Fails(placement);
    if (s->seen[VarOf(q)]) continue;
    s->seen[VarOf(q)] = 1;
    s->learned[kept++] = q;
  }
  for (int k = 1; k < kept; ++k) s->seen[VarOf(s->learned[k])] = 0;
  for (int g = 0; g < counted; ++g) s->rulesOut[s->placements[g]] = 0;
  return kept;
}

// Resolves the conflict with the reasons of its literals from the current
// level, latest first, until one literal of that level is left (the first
// unique implication point), then shortens the clause. Leaves it in
// s->learned, that literal first and one of the next highest level second;
// returns its size and sets the level to go back to and how many levels the
// clause ties.
template <int N>
int Analyze(Learner<N>* s, int* backLevel, int* levels) {
  int size = 1;
  int pending = 0;
  auto take = [&](Lit q) {
    const int var = VarOf(q);
    if (s->seen[var] || s->level[var] == 0) return true;
    s->seen[var] = 1;
    Bump(s, var);
    if (s->level[var] >= s->decisionLevel) {
      ++pending;
    } else {
      s->learned[size++] = q;
    }
    return true;
  };
  std::for_each(s->conflict, s->conflict + s->conflictSize, take);
  Lit p = kNoLit;
  int t = s->trailSize - 1;
  for (;;) {
    while (!s->seen[VarOf(s->trail[t])]) --t;
    p = s->trail[t--];
    s->seen[VarOf(p)] = 0;
    if (--pending == 0) break;
    const Reason why = s->reason[VarOf(p)];
    if (KindOf(why) == Why::kClause) s->clauses[DataOf(why)].activity += s->clauseBump;
    EachCause(*s, p, why, take);
  }
  s->learned[0] = Negation(p);
  // Drops a literal whose own reason lies wholly within the clause; the
  // conflict's buffer keeps the full list for clearing the marks.
  std::copy(s->learned + 1, s->learned + size, s->conflict + 1);
  int kept = 1;
  for (int k = 1; k < size; ++k) {
    const Lit q = s->learned[k];
    const Reason why = s->reason[VarOf(q)];
    const bool implied =
        KindOf(why) != Why::kDecision && EachCause(*s, Negation(q), why, [s](Lit cause) {
          const int var = VarOf(cause);
          return s->seen[var] || s->level[var] == 0;
        });
    if (!implied) s->learned[kept++] = q;
  }
  for (int k = 1; k < size; ++k) s->seen[VarOf(s->conflict[k])] = 0;
  size = GroupByPlacement(s, kept);
  *backLevel = 0;
  if (size > 1) {
    int highest = 1;
    for (int k = 2; k < size; ++k) {
      if (s->level[VarOf(s->learned[k])] > s->level[VarOf(s->learned[highest])]) highest = k;
    }
    std::swap(s->learned[1], s->learned[highest]);
    *backLevel = s->level[VarOf(s->learned[1])];
  }
  *levels = LevelsOf(s, s->learned, size);
  return size;
}

// Keeps a clause whose first literal is unset and all others false, and sets
// that literal; a clause of one literal becomes a fact. False when there is
// no room for it.
template <int N>
bool Assert(Learner<N>* s, const Lit* lits, int size, int levels, bool permanent) {
  if (size == 1) return Enqueue(s, lits[0], Pack(Why::kDecision, 0));
  if (!MakeRoom(s, size)) return false;
  const int index = AddClause(s, lits, size, levels, permanent);
  return Enqueue(s, lits[0], Pack(Why::kClause, static_cast<uint32_t>(index)));
}

// The decisions that led to the solution on the board lead to it alone: the
// clause "not all of them" (the latest first) leaves every other solution.
// Writes it to `blocking`; returns its size.
template <int N>
int BlockingClause(const Learner<N>& s, Lit* blocking) {
  const int levels = s.decisionLevel;
  for (int l = levels - 1; l >= 0; --l) {
    blocking[levels - 1 - l] = Negation(s.trail[s.levelStart[l]]);
  }
  return levels;
}

// Adds the blocking clause of the solution on the board; going back one
// level, it forces the last decision's opposite. False when there is no room.
template <int N>
bool BlockSolution(Learner<N>* s) {
  Lit blocking[GridShape<N>::kCells];
  const int levels = BlockingClause(*s, blocking);
  Backtrack(s, levels - 1);
  return Assert(s, blocking, levels, levels, true);
}

}  // namespace
