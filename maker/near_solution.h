// Second solutions close to a grid, found without a full search: the
// generator asks, for every clue, whether some solution differs from the
// grid there, and the answer is mostly yes by a small rearrangement of the
// grid. Cheap local searches find those; a no from them proves nothing.
// One call at a time (the engine's memory is static).
#pragma once

#include <cstdint>

// Whether a solution within `masks` (candidates in reading order) that
// differs from `grid` at `cell` can be found near grid: two digits of grid
// trading places over a set of cells, then small searches with every cell
// outside the band of rows or of columns through `cell` held to grid.
// `masks` must allow grid's digit in every cell but `cell`, where it must not.
// False says only that none was found this way.
template <int N>
bool FindNearSolution(const uint32_t* masks, const uint8_t* grid, int cell);
