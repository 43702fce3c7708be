// The search engine behind SearchFrom, the one header the model includes.
// It gives the solutions of a board in reading order without walking the
// tree in reading order: complete solvers on bitmask boards (oracle.h, and
// for 16x16 and 25x25 the clause-learning clause_search.h) prove which
// digits of a cell lead nowhere, so only the digits of the wanted solution
// are ever settled (lex_search.cpp). Runs on the solve worker; all its
// working memory is static.
#pragma once

#include <atomic>
#include <cstdint>

// A caller that shows the search while it runs. Every kWatchNodes nodes the
// searches ask `due`, which must be cheap; when it answers true they hand
// `show` the digits they hold at that moment, cells in reading order, 0 where
// a cell is still open.
struct SearchWatch {
  bool (*due)();
  void (*show)(const uint8_t* digits);
};

constexpr int64_t kWatchNodes = 64;

// What the caller shares with every query: the stop request it must obey, the
// step counter it adds its nodes to, and who watches (null: no one).
struct EngineContext {
  const std::atomic<int32_t>* stopRequested;
  int64_t* steps;
  const SearchWatch* watch = nullptr;
};

// How a query of the engine ended, the one vocabulary of every search in it:
//   kNone        no solution within the candidates (and the query's bound);
//   kFound       a solution, in the query's witness (for a count, the only one);
//   kSeveral     a second solution where the query asked for one only;
//   kStopped     the caller's stop request was seen;
//   kOverBudget  the query's node or conflict budget, or its clause room, ran
//                out before an answer;
//   kImproving   over budget in a search for the smallest solution, holding a
//                witness that may not be the smallest.
// The lexicographic queries below answer kNone, kFound or kStopped only.
enum class Outcome { kNone, kFound, kSeveral, kStopped, kOverBudget, kImproving };

// The smallest solution of the candidates `masks` (one per cell in reading
// order, bit d - 1 for digit d) in reading order, into `solution`.
template <int N>
Outcome SmallestSolution(const uint32_t* masks, const EngineContext& context, uint8_t* solution);

// The smallest solution of `masks` that comes after `previous` in reading
// order, into `solution`.
template <int N>
Outcome NextSolution(const uint32_t* masks, const uint8_t* previous, const EngineContext& context,
                     uint8_t* solution);

// The number of solutions within `masks`, counted up to `limit` (at least
// 1): the answer is min(solutions, limit). For the tools that count and make
// puzzles; nothing is searched in reading order. On 16x16 and 25x25 a long
// count to two may race a second search (clause_search.h); the answer is the
// same either way.
template <int N>
int64_t CountSolutions(const uint32_t* masks, int64_t limit, const EngineContext& context);
