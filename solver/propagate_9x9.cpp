#include "solver/propagate_9x9.h"

#include <cstring>

#include "solver/bits.h"
#include "solver/board.h"
#include "solver/candidates.h"
#include "solver/rules_9x9.h"

// The unit rules read digit d's places in a box, a row or a column straight
// from its bitboard (rules_9x9.h): a box of a band is three triads of its
// word, a row nine bits of it, a column one bit of each word. Each rule is
// the general one (propagate.cpp) on those bits, in the same order: digits
// outside, units inside, box, row and column for each unit index.

Rules9 rules9;

namespace {

constexpr uint32_t kRow = 0x1FF;                                        // row 0 of a band
constexpr uint32_t kBox = 0x7 | 0x7 << 9 | 0x7 << 18;                   // box 0 of a band
constexpr uint32_t kColumn = 1 | uint32_t{1} << 9 | uint32_t{1} << 18;  // column 0 of a band

// The row and column and box of a cell, as band words.
struct PeerTable {
  Bits81 peers[81];
  constexpr PeerTable() : peers() {
    for (int c = 0; c < 81; ++c) {
      const int x = c % 9;
      const int y = c / 9;
      for (int b = 0; b < 3; ++b) {
        uint32_t word = kColumn << x;
        if (b == y / 3) word |= kRow << (9 * (y % 3)) | kBox << (3 * (x / 3));
        peers[c].band[b] = word;
      }
    }
  }
};
constexpr PeerTable kPeerTable;

// kColumnRow[t]: the row of the place a column's merged word holds at bit
// t = 9r + b above its column (b the band, r the row within it).
constexpr int8_t kColumnRow[21] = {0, 3,  6,  -1, -1, -1, -1, -1, -1, 1, 4,
                                   7, -1, -1, -1, -1, -1, -1, 2,  5,  8};

// Places digit d + 1 in the empty cell c, which can take it: PlaceDigit on
// the 9x9 tables. Records in rules9.taken the cells that lost the digit.
bool Place9(WindowHandle window, int c, int d) {
  const Cell9& cell = kCells9.cell[c];
  board.fixed[cell.x][cell.y] = d + 1;
  board.shown[cell.x][cell.y] = d + 1;
  ++rules9.rowFilled[cell.y];
  ++rules9.columnFilled[cell.x];
  for (uint32_t own = rules9.cells[c]; own != 0; own &= own - 1) {
    rules9.places[LowestIndex(own)].band[cell.band] &= ~cell.bit;
  }
  rules9.digitDirty |= rules9.cells[c];
  rules9.cells[c] = 0;
  rules9.rowDirty |= 1u << cell.y;
  rules9.columnDirty |= 1u << cell.x;
  ++rules9.changes;
  const Bits81& peers = kPeerTable.peers[c];
  for (int b = 0; b < 3; ++b) rules9.taken.band[b] = TakeFromBand(d, b, peers.band[b]);
  if (board.showProgress.load() != 0) DrawCell(window, cell.x, cell.y);
  return true;
}

// Hidden single in box k, or pointing.
bool BoxRule(WindowHandle window, int k, int d) {
  const int b = k / 3;
  const uint32_t box = kBox << (3 * (k % 3));
  const uint32_t places = rules9.places[d].band[b] & box;
  if (places == 0) return false;
  if (IsSingle(places)) return Place9(window, 27 * b + LowestIndex(places), d);
  const uint32_t columns = (places | places >> 9 | places >> 18) & kRow;
  if (IsSingle(columns)) {
    const uint32_t column = kColumn << LowestIndex(columns);
    for (int other = 0; other < 3; ++other) {
      if (other != b) TakeFromBand(d, other, column);
    }
    return false;
  }
  const uint32_t row = kRow << (9 * (LowestIndex(places) / 9));
  if ((places & ~row) == 0) TakeFromBand(d, b, row & ~box);
  return false;
}

// Hidden single in row k, or claiming.
bool RowRule(WindowHandle window, int k, int d) {
  const int b = k / 3;
  const int shift = 9 * (k % 3);
  const uint32_t places = (rules9.places[d].band[b] >> shift) & kRow;
  if (places == 0) return false;
  if (IsSingle(places)) return Place9(window, 9 * k + LowestIndex(places), d);
  const uint32_t triad = 0x7u << (LowestIndex(places) / 3 * 3);
  if ((places & ~triad) != 0) return false;
  const uint32_t box = kBox << (LowestIndex(places) / 3 * 3);
  TakeFromBand(d, b, box & ~(kRow << shift));
  return false;
}

// Hidden single in column k. The column's bit of each band word, the bands
// side by side: band b's bits moved up by b.
bool ColumnRule(WindowHandle window, int k, int d) {
  const Bits81& p = rules9.places[d];
  const uint32_t column = kColumn << k;
  const uint32_t merged =
      (p.band[0] & column) | (p.band[1] & column) << 1 | (p.band[2] & column) << 2;
  if (merged == 0 || !IsSingle(merged)) return false;
  return Place9(window, 9 * kColumnRow[LowestIndex(merged) - k] + k, d);
}

// The 27 unit rules of digit d + 1. A round that changed nothing, on places
// that have not changed since, would change nothing again: it is passed over.
bool DigitRules(WindowHandle window, int d) {
  if ((rules9.digitDirty >> d & 1) == 0) return false;
  rules9.digitDirty &= ~(1u << d);
  bool placed = false;
  for (int k = 0; k < 9; ++k) {
    placed = BoxRule(window, k, d) || placed;
    placed = RowRule(window, k, d) || placed;
    placed = ColumnRule(window, k, d) || placed;
  }
  return placed;
}

// Naked singles in reading order. A placement can leave a single only in a
// cell it took its digit from; one behind the scan waits for the next pass.
bool NakedSingles(WindowHandle window) {
  Bits81 pending;
  for (int b = 0; b < 3; ++b) {
    uint32_t ones = 0;
    uint32_t twos = 0;
    for (int d = 0; d < 9; ++d) {
      const uint32_t word = rules9.places[d].band[b];
      twos |= ones & word;
      ones |= word;
    }
    pending.band[b] = ones & ~twos;
  }
  bool placed = false;
  for (int b = 0; b < 3; ++b) {
    while (pending.band[b] != 0) {
      const int i = LowestIndex(pending.band[b]);
      pending.band[b] &= pending.band[b] - 1;
      const int c = 27 * b + i;
      const uint32_t mask = rules9.cells[c];
      if (mask == 0 || !IsSingle(mask)) continue;
      placed = Place9(window, c, LowestIndex(mask));
      for (int later = b; later < 3; ++later) {
        uint32_t lost = rules9.taken.band[later];
        if (later == b) lost &= ~((uint32_t{2} << i) - 1);
        for (; lost != 0; lost &= lost - 1) {
          const uint32_t left = rules9.cells[27 * later + LowestIndex(lost)];
          if (left != 0 && IsSingle(left)) pending.band[later] |= lost & (0 - lost);
        }
      }
    }
  }
  return placed;
}

bool Pass(WindowHandle window) {
  bool placed = false;
  for (int d = 0; d < 9; ++d) placed = DigitRules(window, d) || placed;
  SubsetPass9();
  return NakedSingles(window) || placed;
}

// InitCandidates on the 9x9 tables: an empty cell keeps the digits found
// nowhere in its row, column and box. True when some cell has a candidate.
bool Init9() {
  uint32_t inRow[9] = {};
  uint32_t inColumn[9] = {};
  uint32_t inBox[9] = {};
  Bits81 empty = {};
  for (int d = 0; d < 9; ++d) rules9.places[d] = Bits81{};
  std::memset(rules9.rowFilled, 0, sizeof rules9.rowFilled);
  std::memset(rules9.columnFilled, 0, sizeof rules9.columnFilled);
  for (int c = 0; c < 81; ++c) {
    const Cell9& cell = kCells9.cell[c];
    const int v = board.fixed[cell.x][cell.y];
    if (v == 0) {
      empty.band[cell.band] |= cell.bit;
      continue;
    }
    inRow[cell.y] |= BitOf(v);
    inColumn[cell.x] |= BitOf(v);
    inBox[cell.y / 3 * 3 + cell.x / 3] |= BitOf(v);
    ++rules9.rowFilled[cell.y];
    ++rules9.columnFilled[cell.x];
  }
  uint32_t any = 0;
  for (int c = 0; c < 81; ++c) {
    const Cell9& cell = kCells9.cell[c];
    uint32_t mask = 0;
    if ((empty.band[cell.band] & cell.bit) != 0) {
      mask = 0x1FF & ~(inRow[cell.y] | inColumn[cell.x] | inBox[cell.y / 3 * 3 + cell.x / 3]);
    }
    rules9.cells[c] = static_cast<uint16_t>(mask);
    any |= mask;
    for (; mask != 0; mask &= mask - 1)
      rules9.places[LowestIndex(mask)].band[cell.band] |= cell.bit;
  }
  rules9.digitDirty = 0x1FF;
  rules9.rowDirty = 0x1FF;
  rules9.columnDirty = 0x1FF;
  return any != 0;
}

void WriteFlags9() {
  for (int c = 0; c < 81; ++c) {
    const Cell9& cell = kCells9.cell[c];
    const uint32_t mask = rules9.cells[c];
    int32_t* flags = board.eliminated[cell.x][cell.y] + 1;
    std::memcpy(flags, flagsOfByte.flags[mask & 0xFF], sizeof flagsOfByte.flags[0]);
    flags[8] = static_cast<int32_t>((mask >> 8) ^ 1);
  }
}

}  // namespace

// As Propagate: passes until two in a row place nothing, the second of them
// left out when the first changed nothing at all. A board where no cell has
// a candidate left gives no rule anything to act on.
void Propagate9x9(WindowHandle window) {
  if (Init9()) {
    int idle = 0;
    while (idle < 2) {
      const uint64_t before = rules9.changes;
      if (Pass(window)) {
        idle = 0;
      } else if (++idle < 2 && rules9.changes == before) {
        break;
      }
    }
  }
  WriteFlags9();
}
