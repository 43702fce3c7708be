// A second complete solver for the 16x16 and 25x25 boards that learns from
// its failures: each contradiction it meets is traced back to the decisions
// behind it and kept as a clause that cuts the same contradiction everywhere
// else in the search. The depth-first oracle (oracle.h) refutes the same
// dead end again under every branch that leads to it; on hard puzzles with
// one solution, whose proof has to visit the whole tree, that repetition is
// most of its work. Runs on the solve worker only; all its working memory is
// static.
#pragma once

#include <cstdint>

#include "solver/engine/oracle.h"

// Counts the solutions within `masks` (candidates in reading order) up to
// two: kNone, kFound (witness is the only solution), kSeveral (witness is one
// of them), kStopped, or kOverBudget after `conflictBudget` contradictions
// (0: no limit).
template <int N>
Outcome CountToTwo(const uint32_t* masks, const EngineContext& context, int64_t conflictBudget,
                   uint8_t* witness);

// Looks for any solution within `masks`: kFound with it in `witness`, kNone,
// kStopped, or kOverBudget after `conflictBudget` contradictions (0: no limit)
// or when the clauses fill their room. Each decision tries the digit of
// `preferred` in its cell where it can (null: none preferred). Never races a
// second search.
template <int N>
Outcome FindAny(const uint32_t* masks, const uint8_t* preferred, const EngineContext& context,
                int64_t conflictBudget, uint8_t* witness);

// Turns `best`, a solution within `masks`, into the smallest solution in
// reading order that keeps best's digits in the cells before `from`: each
// cell in turn takes the smallest digit any such solution has there. kFound,
// or kStopped, or kOverBudget when the clauses fill their room (best is then
// still a solution within the masks, perhaps a smaller one).
template <int N>
Outcome SmallestCompletion(const uint32_t* masks, int from, const EngineContext& context,
                           uint8_t* best);
