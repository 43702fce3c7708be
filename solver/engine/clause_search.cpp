#include "solver/engine/clause_search.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <random>
#include <system_error>
#include <thread>

#include "solver/engine/bit_grid.h"
#include "solver/engine/clause_lane.h"
#include "solver/engine/watch_pool.h"

namespace {

// Variable v = cell * N + digit index says "the cell takes that digit". A
// literal is 2v (the variable holds) or 2v + 1 (it does not).
using Lit = uint16_t;
constexpr Lit kNoLit = 0xFFFF;
inline int VarOf(Lit lit) { return lit >> 1; }
inline Lit Holds(int var) { return static_cast<Lit>(2 * var); }
inline Lit Fails(int var) { return static_cast<Lit>(2 * var + 1); }
inline bool IsNegative(Lit lit) { return (lit & 1) != 0; }
inline Lit Negation(Lit lit) { return static_cast<Lit>(lit ^ 1); }

enum : uint8_t { kUnset, kTrue, kFalse };

// Why a variable has its value, packed with what the explanation needs.
// kExcluded: a true variable of the same cell or of a peer, same digit (data:
// its index). kOnlyDigit: every other digit of the cell is out. kOnlyPlace:
// every other place of the digit in a unit is out (data: the unit).
// kClause: a learned clause forced it (data: the clause's index).
enum class Why : uint32_t { kDecision, kExcluded, kOnlyDigit, kOnlyPlace, kClause };
using Reason = uint32_t;

inline Reason Pack(Why why, uint32_t data) { return static_cast<uint32_t>(why) << 29 | data; }
inline Why KindOf(Reason reason) { return static_cast<Why>(reason >> 29); }
inline uint32_t DataOf(Reason reason) { return reason & ((uint32_t{1} << 29) - 1); }

// A clause's literals lie in one array after two entries that say how many
// there are and where the search for a new literal to watch resumes, so what
// a watch looks at lies together. The first two literals are the watched ones;
// the one the clause forces goes first.
constexpr int kHeader = 2;
inline int SizeOf(const Lit* lits) { return lits[-2]; }

struct ClauseInfo {
  uint32_t start;  // of the literals, after the header
  // Decision levels among the literals when learned: few ties them closely.
  uint8_t levels;
  // The clause that blocks the solution found stays; learned ones may go.
  bool permanent;
  float activity;
};

// A clause watching a literal, with another of its literals: while that one
// is true the clause needs no look when the watched literal turns false.
struct Watcher {
  uint32_t start;  // of the clause's literals
  Lit blocker;
  uint16_t clause;
};

// Room for learned clauses: literals and clauses. When either runs short
// half of the learned clauses go (Reduce). More room keeps more clauses on
// the longest searches but makes every step slower: a 25x25 puzzle that
// fills it took 15 % less time with half a million literals than with twice
// that, for 7 % more steps, and as little with a quarter of a million. Two
// searches may race (Race below), each with its own room.
struct Room {
  static constexpr int kLiterals = 1 << 18;
  static constexpr int kClauses = 1 << 14;
  static_assert(kClauses <= 1 << 16, "a watcher names its clause in 16 bits");
};

// Conflicts before the first clean-up of the learned clauses, and how much
// later each next one comes.
constexpr int64_t kFirstReduce = 2000;
constexpr int64_t kReduceGrowth = 300;
// Activities grow by this factor at every conflict, so recent conflicts weigh
// more; slow decay measured best on the hardest 25x25 puzzles.
constexpr double kActivityGrowth = 1.0 / 0.99;
constexpr float kClauseGrowth = 1.0f / 0.999f;

template <int N>
struct Race;

template <int N>
struct Learner {
  static constexpr int kCells = GridShape<N>::kCells;

  // Set while this search races another on the same count (else null): the
  // race, this search's side in it (0 or 1), where it is in the other
  // side's lane, and whether it has a solution and now proves there is no
  // other.
  Race<N>* race;
  int side;
  uint32_t taken;
  bool proving;

  static constexpr int kVars = kCells * N;
  static constexpr int kUnits = GridShape<N>::kUnits;

  const GridTables<N>* tables;
  // Each of a cell's three units, and the cell's place in it.
  struct Link {
    uint8_t unit;
    uint8_t place;
  } links[kCells][3];

  // The value of each literal (not only of each variable), so that a look
  // at a literal is one load.
  uint8_t value[2 * kVars];
  uint16_t level[kVars];  // at most one level per cell
  Reason reason[kVars];
  Lit trail[kVars];
  int trailSize;
  int head;                        // trail entries whose consequences are drawn
  int32_t levelStart[kCells + 1];  // trail size when each level began
  int decisionLevel;

  uint32_t domain[kCells];     // digits not yet ruled out
  uint32_t places[kUnits][N];  // positions not yet ruled out, per digit

  // How often each variable took part in recent conflicts.
  double activity[kVars];
  double bump;
  // The highest activity of any variable of each cell.
  double cellPeak[kCells];

  Lit literals[Room::kLiterals];
  int literalsUsed;
  ClauseInfo clauses[Room::kClauses];
  int clauseCount;
  // The clauses watching each literal, looked at when it turns false: two
  // literals each, a literal at most once each.
  WatchPool<Watcher, 2 * kVars, 2 * Room::kClauses, Room::kClauses> watches;
  float clauseBump;

  // Conflict analysis: the violated clause's literals (all false), the
  // clause being learned, marks.
  Lit conflict[kVars];
  int conflictSize;
  Lit learned[kVars];
  uint8_t seen[kVars];
  // How many of the clause's literals each placement rules out, and the
  // placements counted.
  uint8_t rulesOut[kVars];
  int32_t placements[kVars];
  uint32_t levelMark[kCells + 1];
  uint32_t markRound;
  uint8_t scratch[kCells];  // a second solution's digits
  int32_t order[Room::kClauses];
  int32_t renumber[Room::kClauses];
};

// Two learners: the second races the first on long counts.
template <int N>
Learner<N> learners[2];

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
  QueryOutcome secondOutcome;
  int64_t secondSteps;
  uint8_t secondWitness[GridShape<N>::kCells];
};

template <int N>
Race<N> race;

// The second side's thread. It is never destroyed, so a program that ends
// during a race is not terminated by a joinable std::thread.
template <int N>
std::thread& secondThread = *new std::thread;

template <int N>
inline bool IsFalse(const Learner<N>& s, Lit lit) {
  return s.value[lit] == kFalse;
}

template <int N>
inline bool IsTrue(const Learner<N>& s, Lit lit) {
  return s.value[lit] == kTrue;
}

template <int N>
void Bump(Learner<N>* s, int var) {
  s->activity[var] += s->bump;
  double& peak = s->cellPeak[var / N];
  peak = std::max(peak, s->activity[var]);
  if (s->activity[var] > 1e100) {
    for (double& a : s->activity) a *= 1e-100;
    for (double& a : s->cellPeak) a *= 1e-100;
    s->bump *= 1e-100;
  }
}

// Calls visit on each false literal that, by the reason `why`, forces `lit`,
// until visit returns false; returns whether it never did.
template <int N, typename Visit>
bool EachCause(const Learner<N>& s, Lit lit, Reason why, Visit visit) {
  const int var = VarOf(lit);
  const int cell = var / N;
  const int digit = var % N;
  const uint32_t data = DataOf(why);
  switch (KindOf(why)) {
    case Why::kDecision:
      return true;
    case Why::kExcluded:
      return visit(Fails(static_cast<int>(data)));
    case Why::kOnlyDigit:
      for (int e = 0; e < N; ++e) {
        if (e != digit && !visit(Holds(cell * N + e))) return false;
      }
      return true;
    case Why::kOnlyPlace: {
      const uint16_t* cells = s.tables->units[data];
      for (int k = 0; k < N; ++k) {
        if (cells[k] != cell && !visit(Holds(cells[k] * N + digit))) return false;
      }
      return true;
    }
    case Why::kClause: {
      const Lit* lits = s.literals + s.clauses[data].start;
      for (int k = 0, length = SizeOf(lits); k < length; ++k) {
        if (lits[k] != lit && !visit(lits[k])) return false;
      }
      return true;
    }
  }
  return true;
}

// Gives `lit` its value at the current level; false, with the conflict
// recorded, when it already has the other one.
template <int N>
bool Enqueue(Learner<N>* s, Lit lit, Reason why) {
  const int var = VarOf(lit);
  if (s->value[lit] != kUnset) {
    if (s->value[lit] == kTrue) return true;
    // The conflict: lit and the false literals that, by `why`, force it.
    s->conflictSize = 0;
    s->conflict[s->conflictSize++] = lit;
    EachCause(*s, lit, why, [s](Lit cause) {
      s->conflict[s->conflictSize++] = cause;
      return true;
    });
    return false;
  }
  s->value[lit] = kTrue;
  s->value[Negation(lit)] = kFalse;
  s->level[var] = static_cast<uint16_t>(s->decisionLevel);
  s->reason[var] = why;
  s->trail[s->trailSize++] = lit;
  if (IsNegative(lit)) {
    const int cell = var / N;
    const int digit = var % N;
    s->domain[cell] &= ~(uint32_t{1} << digit);
    for (int k = 0; k < 3; ++k) {
      const auto link = s->links[cell][k];
      s->places[link.unit][digit] &= ~(uint32_t{1} << link.place);
    }
  }
  return true;
}

template <int N>
void ConflictOfClause(Learner<N>* s, const Lit* lits, int size) {
  s->conflictSize = size;
  std::copy(lits, lits + size, s->conflict);
}

// ---- clauses -------------------------------------------------------------

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

// ---- propagation -----------------------------------------------------------

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
        if (!Enqueue(s, Fails(cell * N + __builtin_ctz(rest)), why)) return false;
      }
      // The digit's other places in the cell's three units; a peer in two of
      // them is ruled out once, its bit gone from the second by then.
      for (int k = 0; k < 3; ++k) {
        const int unit = s->links[cell][k].unit;
        const uint16_t* cells = tables.units[unit];
        const uint32_t own = uint32_t{1} << s->links[cell][k].place;
        for (uint32_t rest = s->places[unit][digit] & ~own; rest != 0;
             rest = s->places[unit][digit] & ~own) {
          if (!Enqueue(s, Fails(cells[__builtin_ctz(rest)] * N + digit), why)) return false;
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
        const int only = cell * N + __builtin_ctz(left);
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
          const int only = cells[__builtin_ctz(where)] * N + digit;
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

// ---- search ----------------------------------------------------------------

template <int N>
void Backtrack(Learner<N>* s, int target) {
  if (s->decisionLevel <= target) return;
  const int keep = s->levelStart[target];
  for (int t = s->trailSize - 1; t >= keep; --t) {
    const Lit lit = s->trail[t];
    const int var = VarOf(lit);
    if (IsNegative(lit)) {
      const int cell = var / N;
      const int digit = var % N;
      s->domain[cell] |= uint32_t{1} << digit;
      for (int k = 0; k < 3; ++k) {
        const auto link = s->links[cell][k];
        s->places[link.unit][digit] |= uint32_t{1} << link.place;
      }
    }
    s->value[lit] = kUnset;
    s->value[Negation(lit)] = kUnset;
  }
  s->trailSize = keep;
  s->head = keep;
  s->decisionLevel = target;
}

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

// Next decision. Candidates are the undecided cells and the digits with more
// than one place left in a unit; the one whose variables took part in the
// most recent conflicts for the square of their number wins (a unit's digit
// only when it has no more places than the best cell has digits), and its
// most active variable is set. -1 when every cell is decided.
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
    for (uint32_t r = m; r != 0; r &= r - 1) sum += weights[__builtin_ctz(r)];
    if (bestCell < 0 || sum * (bestCount * bestCount) > bestSum * (count * count)) {
      bestCell = c;
      bestSum = sum;
      bestCount = count;
    }
  };
  constexpr int kCells = GridShape<N>::kCells;
  for (int base = 0; base < kCells; base += 32) {
    const uint32_t open = SeveralBits(s.domain + base, std::min(32, kCells - base), 0);
    for (uint32_t r = open; r != 0; r &= r - 1) considerCell(base + __builtin_ctz(r));
  }
  if (bestCell < 0) return -1;
  int bestUnit = -1;
  int bestDigit = -1;
  for (int u = 0; u < GridShape<N>::kUnits; ++u) {
    const uint16_t* cells = s.tables->units[u];
    // A digit with more places than the best has choices cannot win; the
    // few that may are picked out four at a time.
    for (uint32_t open = SeveralBits(s.places[u], N, bestCount); open != 0; open &= open - 1) {
      const int d = __builtin_ctz(open);
      const uint32_t where = s.places[u][d];
      const int count = CountOf(where);
      if (count > bestCount) continue;
      double sum = kTiny;
      for (uint32_t r = where; r != 0; r &= r - 1) {
        sum += s.activity[cells[__builtin_ctz(r)] * N + d];
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
      consider(cells[__builtin_ctz(r)] * N + bestDigit);
    }
  } else {
    for (uint32_t r = s.domain[bestCell]; r != 0; r &= r - 1) {
      consider(bestCell * N + __builtin_ctz(r));
    }
  }
  return var;
}

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
    if (IsSingle(m) && !Enqueue(s, Holds(c * N + __builtin_ctz(m)), Pack(Why::kOnlyDigit, 0))) {
      return false;
    }
  }
  for (int u = 0; u < GridShape<N>::kUnits; ++u) {
    for (int d = 0; d < N; ++d) {
      const uint32_t where = s->places[u][d];
      if (where == 0) return false;
      if (!IsSingle(where)) continue;
      const int var = tables.units[u][__builtin_ctz(where)] * N + d;
      if (s->value[Holds(var)] == kUnset &&
          !Enqueue(s, Holds(var), Pack(Why::kOnlyPlace, static_cast<uint32_t>(u)))) {
        return false;
      }
    }
  }
  return Propagate(s);
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

// ---- racing ----------------------------------------------------------------

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
void Claim(Race<N>* r, int side, QueryOutcome outcome) {
  if (outcome != QueryOutcome::kFound && outcome != QueryOutcome::kNone &&
      outcome != QueryOutcome::kSeveral) {
    return;
  }
  int32_t none = -1;
  if (r->winner.compare_exchange_strong(none, side)) r->over.store(1);
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
QueryOutcome FindSolution(Learner<N>* s, Lit assumption, const EngineContext& context,
                          int64_t conflictBudget, Effort* effort, uint8_t* witness) {
  for (;;) {
    if (!Propagate(s)) {
      ++effort->conflicts;
      if (StopRequested(context) || Outrun(*s)) return QueryOutcome::kStopped;
      if (conflictBudget > 0 && effort->conflicts > conflictBudget) {
        return QueryOutcome::kOverBudget;
      }
      bool full = false;
      if (!Learn(s, &full)) return full ? QueryOutcome::kOverBudget : QueryOutcome::kNone;
      if (s->race != nullptr) {
        TakeShared(s);
        // Count takes the other side's solution and proves it the only one.
        if (OtherSolved(*s)) return QueryOutcome::kStopped;
        if (s->side == 0 && effort->conflicts == kRaceAfter) StartSecond(s->race);
      }
      continue;
    }
    if (effort->conflicts >= effort->nextReduce) {
      effort->nextReduce =
          effort->conflicts + kFirstReduce + kReduceGrowth * (effort->conflicts / kFirstReduce);
      Reduce(s, false);
    }
    if (StopRequested(context) || Outrun(*s)) return QueryOutcome::kStopped;
    if (WatchDue(context, effort->conflicts + effort->decisions, &effort->watchAt)) {
      ShowMasks<N>(context, s->domain);
    }
    int var = -1;
    if (s->decisionLevel == 0 && assumption != kNoLit && !IsTrue(*s, assumption)) {
      if (IsFalse(*s, assumption)) return QueryOutcome::kNone;
      var = VarOf(assumption);
    } else {
      var = ChooseVariable(*s);
    }
    if (var < 0) {
      for (int c = 0; c < GridShape<N>::kCells; ++c) {
        witness[c] = static_cast<uint8_t>(DigitOf(s->domain[c]));
      }
      return QueryOutcome::kFound;
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

enum class Taken { kToProve, kOnlyOne, kNoRoom };

// The other side's solution is a solution here too: this side takes it as
// its own, with the clause that excludes it, and goes on to prove there is no
// other (kToProve), or finds that its facts already leave no other (kOnlyOne).
template <int N>
Taken TakeOthersSolution(Learner<N>* s, uint8_t* witness) {
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
  if (n == 0) return Taken::kOnlyOne;
  if (n == 1) {
    Enqueue(s, blocking[0], Pack(Why::kDecision, 0));
  } else {
    if (!MakeRoom(s, n)) return Taken::kNoRoom;
    AddClause(s, blocking, n, n, true);
  }
  return Taken::kToProve;
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

// CountToTwo on one learner, alone or on its side of a race.
template <int N>
QueryOutcome Count(Learner<N>* s, const uint32_t* masks, const EngineContext& context,
                   int64_t conflictBudget, uint8_t* witness) {
  Effort effort;
  auto finish = [&](QueryOutcome outcome) {
    *context.steps += effort.conflicts + effort.decisions;
    return outcome;
  };
  s->taken = 0;
  s->proving = false;
  if (!Load(s, masks)) return finish(QueryOutcome::kNone);
  if (s->race != nullptr && s->side == 1) {
    // The second side starts from other choices, not to retrace the first.
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> tiny(0.0, 1e-3);
    for (int v = 0; v < Learner<N>::kVars; ++v) {
      s->activity[v] = tiny(rng);
      s->cellPeak[v / N] = std::max(s->cellPeak[v / N], s->activity[v]);
    }
  }
  const QueryOutcome first = FindSolution(s, kNoLit, context, conflictBudget, &effort, witness);
  if (first == QueryOutcome::kStopped && s->race != nullptr && !StopRequested(context) &&
      !Outrun(*s) && OtherSolved(*s)) {
    switch (TakeOthersSolution(s, witness)) {
      case Taken::kOnlyOne:
        return finish(QueryOutcome::kFound);
      case Taken::kNoRoom:
        return finish(QueryOutcome::kOverBudget);
      case Taken::kToProve:
        break;
    }
  } else {
    if (first != QueryOutcome::kFound || s->decisionLevel == 0) return finish(first);
    // Published before any clause that relies on excluding it.
    if (s->race != nullptr && !Publish(s, witness)) return finish(QueryOutcome::kSeveral);
    s->proving = true;
    if (!BlockSolution(s)) return finish(QueryOutcome::kOverBudget);
  }
  switch (FindSolution(s, kNoLit, context, conflictBudget, &effort, s->scratch)) {
    case QueryOutcome::kFound:
      return finish(QueryOutcome::kSeveral);
    case QueryOutcome::kNone:
      return finish(QueryOutcome::kFound);
    case QueryOutcome::kStopped:
      return finish(QueryOutcome::kStopped);
    default:
      return finish(QueryOutcome::kOverBudget);
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
QueryOutcome CountToTwo(const uint32_t* masks, const EngineContext& context, int64_t conflictBudget,
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
  r.secondOutcome = QueryOutcome::kStopped;
  r.secondSteps = 0;
  const QueryOutcome outcome = Count(first, masks, context, 0, witness);
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
QueryOutcome SmallestCompletion(const uint32_t* masks, int from, const EngineContext& context,
                                uint8_t* best) {
  constexpr int kCells = GridShape<N>::kCells;
  Learner<N>& s = learners<N>[0];
  s.race = nullptr;
  Effort effort;
  auto finish = [&](QueryOutcome outcome) {
    *context.steps += effort.conflicts + effort.decisions;
    return outcome;
  };
  // best lies within the masks and keeps every fact below, so none of these
  // can fail; if one did, the caller's own walk would take over.
  if (!Load(&s, masks)) return finish(QueryOutcome::kOverBudget);
  for (int c = 0; c < from; ++c) {
    if (!Settle(&s, Holds(c * N + best[c] - 1))) return finish(QueryOutcome::kOverBudget);
  }
  for (int c = from; c < kCells; ++c) {
    Backtrack(&s, 0);
    for (uint32_t smaller = s.domain[c] & (BitOf(best[c]) - 1); smaller != 0;
         smaller &= smaller - 1) {
      const int var = c * N + __builtin_ctz(smaller);
      if (IsFalse(s, Holds(var))) continue;
      const QueryOutcome found = FindSolution(&s, Holds(var), context, 0, &effort, s.scratch);
      if (found == QueryOutcome::kStopped || found == QueryOutcome::kOverBudget) {
        return finish(found);
      }
      if (found == QueryOutcome::kFound) {
        std::copy(s.scratch, s.scratch + kCells, best);
        break;
      }
      // No solution has this digit here, whatever follows.
      if (!Settle(&s, Fails(var))) return finish(QueryOutcome::kOverBudget);
    }
    if (!Settle(&s, Holds(c * N + best[c] - 1))) return finish(QueryOutcome::kOverBudget);
  }
  return finish(QueryOutcome::kFound);
}

template QueryOutcome CountToTwo<16>(const uint32_t*, const EngineContext&, int64_t, uint8_t*);
template QueryOutcome CountToTwo<25>(const uint32_t*, const EngineContext&, int64_t, uint8_t*);
template QueryOutcome SmallestCompletion<16>(const uint32_t*, int, const EngineContext&, uint8_t*);
template QueryOutcome SmallestCompletion<25>(const uint32_t*, int, const EngineContext&, uint8_t*);
