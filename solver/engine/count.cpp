// CountSolutions over the two complete solvers: the count to two of the
// oracle (9x9) or of the clause search (16x16, 25x25); past two, the board is
// split on a cell with the fewest digits and each part counted again.
#include "solver/engine/clause_search.h"
#include "solver/engine/engine.h"
#include "solver/engine/oracle.h"

namespace {

template <int N>
constexpr int64_t kOracleBudget = (N == 9 ? 0 : 1) * GridShape<N>::kCells;

// kNone, kFound (one), kSeveral or kStopped.
template <int N>
Outcome CountToTwoOf(const uint32_t* masks, const EngineContext& context, GridState<N>* root) {
  uint8_t witness[GridShape<N>::kCells];
  if (!LoadRoot(root, masks)) return Outcome::kNone;
  Query one;
  one.onlyOne = true;
  one.nodeBudget = kOracleBudget<N>;
  Outcome outcome = Solve(*root, one, context, witness);
  if constexpr (N != 9) {
    if (outcome == Outcome::kOverBudget) outcome = CountToTwo<N>(masks, context, 0, witness);
  }
  return outcome;
}

template <int N>
int64_t CountFrom(const uint32_t* masks, int64_t limit, const EngineContext& context) {
  constexpr int kCells = GridShape<N>::kCells;
  GridState<N> root;
  const Outcome outcome = CountToTwoOf<N>(masks, context, &root);
  if (outcome == Outcome::kNone || outcome == Outcome::kStopped) return 0;
  if (outcome == Outcome::kFound) return 1;
  if (limit <= 2) return 2;
  int cell = -1;
  for (int c = 0; c < kCells; ++c) {
    if (IsSingle(root.cand[c])) continue;
    if (cell < 0 || CountOf(root.cand[c]) < CountOf(root.cand[cell])) cell = c;
  }
  uint32_t parts[kCells];
  for (int c = 0; c < kCells; ++c) parts[c] = root.cand[c];
  int64_t total = 0;
  for (uint32_t digits = root.cand[cell]; digits != 0 && total < limit; digits &= digits - 1) {
    parts[cell] = digits & (~digits + 1);
    total += CountFrom<N>(parts, limit - total, context);
    if (StopRequested(context)) break;
  }
  return total < limit ? total : limit;
}

}  // namespace

template <int N>
int64_t CountSolutions(const uint32_t* masks, int64_t limit, const EngineContext& context) {
  return CountFrom<N>(masks, limit < 1 ? 1 : limit, context);
}

template int64_t CountSolutions<9>(const uint32_t*, int64_t, const EngineContext&);
template int64_t CountSolutions<16>(const uint32_t*, int64_t, const EngineContext&);
template int64_t CountSolutions<25>(const uint32_t*, int64_t, const EngineContext&);
