// Why each digit follows: the steps the program's five logical rules take on
// a puzzle, one line each, in the order the solve's propagation takes them.
// One call at a time (maker.h).
#pragma once

#include <string>

#include "maker/maker.h"

// The lines, each ending in '\n', rows and columns numbered from 1 and boxes
// from 1 in reading order:
//   r3c5 = 7  hidden single in box 2     (also "in row 3", "in column 5")
//   r3c5 = 7  naked single
//   r1c7..9 ≠ 3  pointing from box 2
//   r2c4..6,r3c5 ≠ 3  claiming from row 1
//   r4c1,3,8 ≠ 2,7  naked subset r4c4,6 in row 4   (or "in column 4")
// A run of three or more cells or digits is written "a..b"; cells in one
// column "r2,5..7c3". When the rules stop short, a last line says so:
//   search needed: 47 cells left
// Clashing clues get one line instead: "clash: r1c1 and r1c5 hold 3".
std::string ExplainText(const MakerBoard& puzzle);
