// The 9x9 oracle's board (oracle_9x9.cpp): one bitboard of places per digit,
// by bands of three rows, and the propagation that settles it. Used on the
// solve worker only; its tables and unit weights are static.
#pragma once

#include <cstdint>

#include "solver/engine/oracle.h"

// places[d][b]: bit (y % 3) * 9 + x of band b = y / 3 is set while digit d + 1
// may stand on cell (x, y), so cell c is bit c % 27 of band c / 27. Band 3
// stays empty, so that two 64-bit words hold a digit's four lanes.
// open[b]: cells not yet placed, that is whose digit has not yet been taken
// out of their peers (a placed cell keeps its one digit).
// Every cell before lexPos is placed and equals the bound's digit.
struct Board9 {
  uint32_t places[9][4];
  uint32_t open[4];
  int32_t lexPos;
};

constexpr uint32_t kBand9 = (uint32_t{1} << 27) - 1;
constexpr uint32_t kAllDigits9 = 0x1FF;

inline int LowestBit(uint32_t x) { return __builtin_ctz(x); }

// The digits cell (band b, bit) may still take, bit d for digit d + 1.
inline uint32_t CellDigits(const Board9& s, int b, uint32_t bit) {
  uint32_t m = 0;
  for (int d = 0; d < 9; ++d) m |= (s.places[d][b] & bit) != 0 ? uint32_t{1} << d : 0;
  return m;
}

// Propagates until nothing changes: cells with one digit are placed until
// there are none, then digits with one place in a unit, then box-line
// reduction, then the query's bound (none when query is null). `dirty`: the
// digits whose places changed since the board was last settled. False on a
// contradiction; the units that ran out of room gain weight.
bool Settle9(Board9* s, uint32_t dirty, const Query* query);

// Takes digit d + 1, the one digit left on the open `cell`, out of the
// cell's peers and counts the cell as placed; what settling a branch would
// do first.
void PlaceLone9(Board9* s, int cell, int d);

// cellWeight9[c]: 3 plus how often the row, column and box of cell c ran out
// of room since the last ResetWeights9; the search branches where units
// failed most.
extern int32_t cellWeight9[81];
void ResetWeights9();
