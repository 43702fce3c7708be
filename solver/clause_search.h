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

#include "solver/oracle.h"

// Counts the solutions within `masks` (candidates in reading order) up to
// two: kNone, kFound (witness is the only solution), kSeveral (witness is one
// of them), kStopped, or kOverBudget after `conflictBudget` contradictions
// (0: no limit).
template <int N>
QueryOutcome CountToTwo(const uint32_t* masks, const EngineContext& context,
                        int64_t conflictBudget, uint8_t* witness);
