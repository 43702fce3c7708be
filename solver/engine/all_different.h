// Full filtering of one unit's "all digits different" rule: a candidate digit
// stays only if some assignment of distinct digits to all the unit's open
// cells uses it (a matching argument). It finds what singles and box-line
// reductions miss, such as ten cells of a row sharing nine digits. Pure
// function on the caller's masks; used by the oracle on hard subproblems.
#pragma once

#include <cstdint>

// masks: the candidates (bit d - 1 for digit d) of `count` (at most 25) open
// cells of one unit, which between them must take `count` distinct digits.
// Narrows them in place; false when no such assignment exists.
bool FilterAllDifferent(uint32_t* masks, int count);
