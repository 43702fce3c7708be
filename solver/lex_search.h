// Solutions in reading order without walking the tree in reading order: the
// oracle (oracle.h) proves which digits of a cell lead nowhere, so only the
// digits of the wanted solution are ever settled. Runs on the solve worker.
#pragma once

#include <cstdint>

#include "solver/oracle.h"

enum class LexOutcome { kNone, kFound, kStopped };

// The smallest solution of the candidates `masks` (one per cell in reading
// order, bit d - 1 for digit d) in reading order, into `solution`.
template <int N>
LexOutcome SmallestSolution(const uint32_t* masks, const EngineContext& context, uint8_t* solution);

// The smallest solution of `masks` that comes after `previous` in reading
// order, into `solution`.
template <int N>
LexOutcome NextSolution(const uint32_t* masks, const uint8_t* previous,
                        const EngineContext& context, uint8_t* solution);
