// The clause store: learned clauses packed in one array, their two watched
// literals, the clean-up that drops half of them when the room runs short,
// and propagation, which draws every consequence of the trail through the
// board's rules and the watches.
#pragma once

#include <algorithm>
#include <cstdint>

#include "solver/engine/bit_grid.h"
#include "solver/engine/clause_learner.h"

// Included by clause_search.cpp alone, so that the whole search is one
// translation unit and its steps inline into one another.
namespace {

template <int N>
void WatchClause(Learner<N>* s, int index) {
  const uint32_t start = s->clauses[index].start;
  const Lit* lits = s->literals + start;
  const auto clause = static_cast<uint16_t>(index);
  s->watches.Push(lits[0], Watcher{start, lits[1], clause});
  s->watches.Push(lits[1], Watcher{start, lits[0], clause});
}

template <int N>
int AddClause(Learner<N>* s, const Lit* lits, int size, int levels, bool permanent) {
  const int index = s->clauseCount++;
  ClauseInfo& clause = s->clauses[index];
  Lit* header = s->literals + s->literalsUsed;
  header[0] = static_cast<Lit>(size);
  header[1] = 2;
  clause.start = static_cast<uint32_t>(s->literalsUsed + kHeader);
  clause.levels = static_cast<uint8_t>(std::min(levels, 255));
  clause.permanent = permanent;
  clause.activity = s->clauseBump;
  std::copy(lits, lits + size, s->literals + clause.start);
  s->literalsUsed += kHeader + size;
  WatchClause(s, index);
  return index;
}

// Clauses watching `lit`, which just became false: each finds another
// literal to watch, or forces its other watched literal, or is violated. The
// clauses that came last are looked at first (measured better on the boards
// with many solutions); those that keep watching gather at the list's end
// and move to the front of what is left when the walk ends.
template <int N>
bool VisitWatches(Learner<N>* s, Lit lit) {
  const int size = s->watches.Size(lit);
  int kept = size;
  int i = size;
  bool consistent = true;
  while (i > 0) {
    // Watching another literal may move every list, this one too.
    Watcher* list = s->watches.Entries(lit);
    const Watcher watcher = list[--i];
    if (IsTrue(*s, watcher.blocker)) {
      list[--kept] = watcher;
      continue;
    }
    Lit* lits = s->literals + watcher.start;
    if (lits[0] == lit) std::swap(lits[0], lits[1]);
    const Lit other = lits[0];
    if (other != watcher.blocker && IsTrue(*s, other)) {
      list[--kept] = Watcher{watcher.start, other, watcher.clause};
      continue;
    }
    // Long clauses: the search for a literal to watch goes on where the last
    // one ended, going round, since the literals it passed are still false.
    const int length = SizeOf(lits);
    int k = lits[-1];
    int left = length - 2;
    while (left > 0 && IsFalse(*s, lits[k])) {
      if (++k == length) k = 2;
      --left;
    }
    if (left > 0) {
      lits[-1] = static_cast<Lit>(k);
      std::swap(lits[1], lits[k]);
      s->watches.Push(lits[1], Watcher{watcher.start, other, watcher.clause});
      continue;
    }
    list[--kept] = Watcher{watcher.start, other, watcher.clause};
    if (IsFalse(*s, other)) {
      ConflictOfClause(s, lits, length);
      consistent = false;
      break;
    }
    if (!Enqueue(s, other, Pack(Why::kClause, static_cast<uint32_t>(watcher.clause)))) {
      consistent = false;
      break;
    }
  }
  Watcher* list = s->watches.Entries(lit);
  std::copy(list + kept, list + size, list + i);
  s->watches.Shorten(lit, i + size - kept);
  return consistent;
}

template <int N>
bool IsLocked(const Learner<N>& s, int index) {
  const Lit first = s.literals[s.clauses[index].start];
  return IsTrue(s, first) &&
         s.reason[VarOf(first)] == Pack(Why::kClause, static_cast<uint32_t>(index));
}

// Drops half of the learned clauses, those that tie the most levels together
// first and the least active among equals (those that tie at most two levels
// stay unless `all`; those that are reasons now always stay), then packs the
// rest and rebuilds the watches.
template <int N>
void Reduce(Learner<N>* s, bool all) {
  int candidates = 0;
  for (int i = 0; i < s->clauseCount; ++i) {
    const ClauseInfo& clause = s->clauses[i];
    if (!clause.permanent && (all || clause.levels > 2) && !IsLocked(*s, i)) {
      s->order[candidates++] = i;
    }
  }
  std::sort(s->order, s->order + candidates, [s](int a, int b) {
    if (s->clauses[a].levels != s->clauses[b].levels) {
      return s->clauses[a].levels > s->clauses[b].levels;
    }
    return s->clauses[a].activity < s->clauses[b].activity;
  });
  for (int i = 0; i < s->clauseCount; ++i) s->renumber[i] = i;
  for (int k = 0; k < candidates / 2; ++k) s->renumber[s->order[k]] = -1;
  int kept = 0;
  int used = 0;
  for (int i = 0; i < s->clauseCount; ++i) {
    if (s->renumber[i] < 0) continue;
    ClauseInfo clause = s->clauses[i];
    // Clauses only move towards the front.
    const auto start = static_cast<uint32_t>(used + kHeader);
    const int size = SizeOf(s->literals + clause.start);
    if (clause.start != start) {
      std::copy(s->literals + clause.start - kHeader, s->literals + clause.start + size,
                s->literals + used);
    }
    clause.start = start;
    used += kHeader + size;
    s->renumber[i] = kept;
    s->clauses[kept++] = clause;
  }
  s->literalsUsed = used;
  s->clauseCount = kept;
  for (int t = 0; t < s->trailSize; ++t) {
    Reason& why = s->reason[VarOf(s->trail[t])];
    if (KindOf(why) == Why::kClause) {
      why = Pack(Why::kClause, static_cast<uint32_t>(s->renumber[DataOf(why)]));
    }
  }
  s->watches.Clear();
  for (int i = 0; i < kept; ++i) WatchClause(s, i);
}

// Makes room for a clause of `size` literals; false when even dropping every
// clause that may go leaves none.
template <int N>
bool MakeRoom(Learner<N>* s, int size) {
  auto fits = [&] {
    return s->clauseCount < Room::kClauses && s->literalsUsed + kHeader + size <= Room::kLiterals;
  };
  if (fits()) return true;
  Reduce(s, false);
  if (!fits()) Reduce(s, true);
  return fits();
}

// Draws every consequence of the trail: a true variable excludes the rest of
// its cell and its digit from the peers; a false one may leave its cell one
// digit or its digit one place in a unit; learned clauses may force more.
// False on a conflict, recorded in s->conflict.
template <int N>
bool Propagate(Learner<N>* s) {
  const GridTables<N>& tables = *s->tables;
  while (s->head < s->trailSize) {
    const Lit lit = s->trail[s->head++];
    const int var = VarOf(lit);
    const int cell = var / N;
    const int digit = var % N;
    const uint32_t bit = uint32_t{1} << digit;
    if (!IsNegative(lit)) {
      const Reason why = Pack(Why::kExcluded, static_cast<uint32_t>(var));
      for (uint32_t rest = s->domain[cell] & ~bit; rest != 0; rest &= rest - 1) {
        if (!Enqueue(s, Fails(cell * N + LowestIndex(rest)), why)) return false;
      }
      // The digit's other places in the cell's three units; a peer in two of
      // them is ruled out once, its bit gone from the second by then.
      for (int k = 0; k < 3; ++k) {
        const int unit = s->links[cell][k].unit;
        const uint16_t* cells = tables.units[unit];
        const uint32_t own = uint32_t{1} << s->links[cell][k].place;
        for (uint32_t rest = s->places[unit][digit] & ~own; rest != 0;
             rest = s->places[unit][digit] & ~own) {
          if (!Enqueue(s, Fails(cells[LowestIndex(rest)] * N + digit), why)) return false;
        }
      }
    } else {
      const uint32_t left = s->domain[cell];
      if (left == 0) {
        s->conflictSize = 0;
        for (int e = 0; e < N; ++e) s->conflict[s->conflictSize++] = Holds(cell * N + e);
        return false;
      }
      if (IsSingle(left)) {
        const int only = cell * N + LowestIndex(left);
        if (s->value[Holds(only)] == kUnset && !Enqueue(s, Holds(only), Pack(Why::kOnlyDigit, 0))) {
          return false;
        }
      }
      for (int k = 0; k < 3; ++k) {
        const int unit = s->links[cell][k].unit;
        const uint32_t where = s->places[unit][digit];
        const uint16_t* cells = tables.units[unit];
        if (where == 0) {
          s->conflictSize = 0;
          for (int j = 0; j < N; ++j) s->conflict[s->conflictSize++] = Holds(cells[j] * N + digit);
          return false;
        }
        if (IsSingle(where)) {
          const int only = cells[LowestIndex(where)] * N + digit;
          if (s->value[Holds(only)] == kUnset &&
              !Enqueue(s, Holds(only), Pack(Why::kOnlyPlace, static_cast<uint32_t>(unit)))) {
            return false;
          }
        }
      }
    }
    if (!VisitWatches(s, Negation(lit))) return false;
  }
  return true;
}

}  // namespace
