// The learner's state: what each literal is worth now, why, on which
// decision level, the trail of assignments, the cells' digits and the units'
// places, the activities, the room for learned clauses. Owns setting a
// literal (Enqueue), explaining it (EachCause) and going back (Backtrack).
// Variable v = cell * N + digit index; literal 2v says it holds, 2v + 1 that
// it does not.
#pragma once

#include <algorithm>
#include <cstdint>

#include "solver/engine/oracle.h"
#include "solver/engine/watch_pool.h"

// Included by clause_search.cpp alone, so that the whole search is one
// translation unit and its steps inline into one another.
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
  // The digit each decision tries in a cell, where the cell allows it (null:
  // the most active one).
  const uint8_t* preferred;

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

}  // namespace
