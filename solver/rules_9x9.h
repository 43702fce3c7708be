// The 9x9 pre-pass's own tables: a bitboard of places for every digit beside
// the candidate mask of every cell. Kept by Propagate9x9 (propagate_9x9.cpp)
// and its subset pass (subsets_9x9.cpp) alone, on the solve worker; the
// general table of candidates.h plays no part in a 9x9 propagation.
#pragma once

#include <cstdint>

#include "solver/bits.h"
#include "solver/window_hooks.h"

// Cells are numbered in reading order, c = 9y + x. A bitboard keeps a bit a
// cell in three band words: word b holds cells 27b to 27b + 26 (rows 3b to
// 3b + 2) as bits 0 to 26, so bit 9r + x of word b is cell (x, 3b + r), and
// each word's bits run in reading order.
struct Bits81 {
  uint32_t band[3];
};

//   places[d]: the cells that can still take digit d + 1;
//   cells[c]: bit d set while cell c can take digit d + 1 (places transposed);
//   rowFilled[y], columnFilled[x]: how many cells of the line are fixed;
//   changes: bumped by every placement and every candidate taken;
//   digitDirty: bit d set when places[d] lost a cell since digit d's unit
//     rules last read it, or they changed it themselves;
//   rowDirty, columnDirty: bit set when a cell of the line lost a candidate
//     since the subset rule last read the line;
//   rowFire[y], columnFire[x]: the places of the line whose call as the
//     reference cell of a subset would rule something out, as of that read;
//     columnFireAt[y]: bit x set when columnFire[x] holds y;
//   taken: the cells the last placement took its digit from.
struct Rules9 {
  Bits81 places[9];
  uint16_t cells[81];
  uint8_t rowFilled[9];
  uint8_t columnFilled[9];
  uint64_t changes;
  uint32_t digitDirty;
  uint32_t rowDirty;
  uint32_t columnDirty;
  uint16_t rowFire[9];
  uint16_t columnFire[9];
  uint16_t columnFireAt[9];
  Bits81 taken;
};

extern Rules9 rules9;

// Cell c's column, row and band, and its bit in the band's word.
struct Cell9 {
  uint8_t x;
  uint8_t y;
  uint8_t band;
  uint32_t bit;
};
struct CellTable9 {
  Cell9 cell[81];
  constexpr CellTable9() : cell() {
    for (int c = 0; c < 81; ++c) {
      cell[c].x = static_cast<uint8_t>(c % 9);
      cell[c].y = static_cast<uint8_t>(c / 9);
      cell[c].band = static_cast<uint8_t>(c / 27);
      cell[c].bit = uint32_t{1} << (c % 27);
    }
  }
};
inline constexpr CellTable9 kCells9{};

// Takes digit d + 1 from cell c, which has it.
inline void TakeCandidate9(int c, int d) {
  const Cell9& cell = kCells9.cell[c];
  rules9.cells[c] = static_cast<uint16_t>(rules9.cells[c] & ~(1u << d));
  rules9.places[d].band[cell.band] &= ~cell.bit;
  rules9.digitDirty |= 1u << d;
  rules9.rowDirty |= 1u << cell.y;
  rules9.columnDirty |= 1u << cell.x;
  ++rules9.changes;
}

// Takes digit d + 1 from the cells of band word b set in `targets`; returns
// the cells that had it.
inline uint32_t TakeFromBand(int d, int b, uint32_t targets) {
  uint32_t& word = rules9.places[d].band[b];
  const uint32_t hit = word & targets;
  for (uint32_t rest = hit; rest != 0; rest &= rest - 1) {
    TakeCandidate9(27 * b + LowestIndex(rest), d);
  }
  return hit;
}

// One pass of the subset rule over the 9x9 tables, cells in reading order,
// each the reference of its row and then of its column.
void SubsetPass9();
