// Propagation on the 9x9 digit bitboards (settle_9x9.h). Every rule reads a
// digit's places a band at a time: a unit's places for a digit are one mask
// test, and box-line reduction of a band is one table look-up.
#include "solver/engine/settle_9x9.h"

#include <cstring>

namespace {

constexpr uint32_t kRow = 0x1FF;
// A digit's four bands (settle_9x9.h) in one vector.
using Bands = uint32_t __attribute__((vector_size(16)));
// The nine cells of the first box of a band: three bits in each row.
constexpr uint32_t kBoxCells = 0x1C0E07;
// A 9-bit set of columns times this is the same columns in all three rows.
constexpr uint32_t kColumnCopies = 0x40201;

// A unit that ran out of room: its cells weigh one more.
void AddWeight(int unit) {
  for (int k = 0; k < 9; ++k) {
    const int cell = unit < 9    ? 9 * unit + k
                     : unit < 18 ? 9 * k + unit - 9
                                 : (unit - 18) / 3 * 27 + (unit - 18) % 3 * 3 + k / 3 * 9 + k % 3;
    ++cellWeight9[cell];
  }
}

// peers[c][b]: the peers of cell c in band b, c itself left out.
// segments[row]: for the 9 bits of one row, which of its three boxes hold one.
// segmentCells[s]: the cells of the boxes in the 3-bit set s, in one row.
// permutations[S]: a 3x3 matrix S (bit 3a + c) of segments where a digit may
// stand, reduced to the union of the permutation matrices inside it. In a band
// a digit stands once in each row and once in each box, so the segments it
// takes form a permutation: this is box-line reduction in both directions and
// what follows from it, in one look-up.
struct Tables9 {
  uint32_t peers[81][4];
  uint8_t segments[512];
  uint32_t segmentCells[8];
  uint16_t permutations[512];
};

Tables9 BuildTables9() {
  Tables9 t = {};
  for (int c = 0; c < 81; ++c) {
    for (int p = 0; p < 81; ++p) {
      const bool peer = p != c && (p / 9 == c / 9 || p % 9 == c % 9 ||
                                   (p / 27 == c / 27 && p % 9 / 3 == c % 9 / 3));
      if (peer) t.peers[c][p / 27] |= uint32_t{1} << (p % 27);
    }
  }
  for (int row = 0; row < 512; ++row) {
    for (int k = 0; k < 3; ++k)
      t.segments[row] |= static_cast<uint8_t>((row >> (3 * k) & 7) != 0 ? 1 << k : 0);
  }
  for (int s = 0; s < 8; ++s) {
    for (int k = 0; k < 3; ++k) t.segmentCells[s] |= (s >> k & 1) != 0 ? uint32_t{7} << (3 * k) : 0;
  }
  const int kOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int s = 0; s < 512; ++s) {
    for (const auto& order : kOrders) {
      const int matrix = 1 << order[0] | 1 << (3 + order[1]) | 1 << (6 + order[2]);
      if ((s & matrix) == matrix)
        t.permutations[s] = static_cast<uint16_t>(t.permutations[s] | matrix);
    }
  }
  return t;
}

const Tables9& T9() {
  static const Tables9 tables = BuildTables9();
  return tables;
}

// Puts digit d on cell c and takes it out of c's peers and every other digit
// out of c; the digits that lost a place join `dirty`. False when c can no
// longer take d.
inline bool Place(const Tables9& t, Board9* s, int d, int c, uint32_t* dirty) {
  const int b = c / 27;
  const int i = c % 27;
  const uint32_t bit = uint32_t{1} << i;
  if ((s->places[d][b] & bit) == 0) return false;
  uint32_t lost = 0;
  for (int e = 0; e < 9; ++e) {
    const uint32_t x = s->places[e][b];
    lost |= (x >> i & 1) << e;
    s->places[e][b] = x & ~bit;
  }
  s->places[d][b] |= bit;
  for (int k = 0; k < 4; ++k) s->places[d][k] &= ~t.peers[c][k];
  *dirty |= lost;
  s->open[b] &= ~bit;
  return true;
}

// Within a band, the segment of row r and box k (its three cells) is named by
// bit 9r + 3k, the segment's first cell.
constexpr uint32_t kSegments = 0x1249249;
constexpr uint32_t kBox0 = 0x40201;  // the segments of box 0, one per row
constexpr uint32_t kRow0 = 0x49;     // the segments of row 0, one per box

// The rules below read one band or, in a 64-bit word, two bands 32 bits apart
// (copies = 1 or 1 + 2^32 repeats each mask in every band); each shift is
// masked so that no bit lands in another band.
template <typename W>
struct BandCells {
  W alone;         // places alone in their row or box
  W columns;       // per band, the columns holding a place (bits 0-8)
  W columnsTwice;  // per band, the columns holding two or more
  W missing;       // set where a segment's row or box has no place
};

// A place is alone in its row (box) when its segment holds it alone and no
// other segment of the row (box) holds any.
template <typename W>
inline BandCells<W> ReadBands(W x, W copies) {
  const W segments = kSegments * copies;
  const W box0 = kBox0 * copies;
  const W row0 = kRow0 * copies;
  const W first = x & segments;
  const W second = x >> 1 & segments;
  const W third = x >> 2 & segments;
  const W any = first | second | third;
  const W one = any & ~((first & second) | (first & third) | (second & third));
  const W rowOthers = (any >> 3 & (box0 | box0 << 3)) | (any << 6 & box0 << 6) |
                      (any << 3 & (box0 << 3 | box0 << 6)) | (any >> 6 & box0);
  const W boxOthers = (any >> 9 & (row0 | row0 << 9)) | (any << 18 & row0 << 18) |
                      (any << 9 & (row0 << 9 | row0 << 18)) | (any >> 18 & row0);
  const W row = kRow * copies;
  const W r0 = x & row;
  const W r1 = x >> 9 & row;
  const W r2 = x >> 18 & row;
  BandCells<W> cells;
  cells.missing = segments & ~((any | rowOthers) & (any | boxOthers));
  cells.alone = x & (one & ~(rowOthers & boxOthers)) * 7;
  cells.columns = r0 | r1 | r2;
  cells.columnsTwice = (r0 & r1) | (r0 & r2) | (r1 & r2);
  return cells;
}

// The places of one digit that are alone in their row, column or box, into
// alone, from its bands 0 and 1 read as `low` and band 2 as the low half of
// `high` (shift 0) or its high half (shift 32); false when a unit has no
// place left for it.
bool AlonePlaces(const uint32_t* w, const BandCells<uint64_t>& low, const BandCells<uint64_t>& high,
                 int shift, uint32_t* alone) {
  if (low.missing != 0 || static_cast<uint32_t>(high.missing >> shift) != 0) return false;
  const uint32_t h0 = static_cast<uint32_t>(low.columns) & kRow;
  const uint32_t h1 = static_cast<uint32_t>(low.columns >> 32);
  const uint32_t h2 = static_cast<uint32_t>(high.columns >> shift) & kRow;
  const uint32_t twice = static_cast<uint32_t>(low.columnsTwice | low.columnsTwice >> 32) |
                         (static_cast<uint32_t>(high.columnsTwice >> shift) & kRow) | (h0 & h1) |
                         (h0 & h2) | (h1 & h2);
  if ((h0 | h1 | h2) != kRow) return false;
  const uint32_t single = (kRow & ~twice) * kColumnCopies;
  alone[0] = static_cast<uint32_t>(low.alone) | (w[0] & single);
  alone[1] = static_cast<uint32_t>(low.alone >> 32) | (w[1] & single);
  alone[2] = static_cast<uint32_t>(high.alone >> shift) | (w[2] & single);
  return true;
}

// AlonePlaces for two digits at once: their bands 2 share one word. The
// second digit's answer holds for the board as it is now; placing the first
// digit's singles only takes places away, which Place then reports.
// Bit 0 (1) of the result: digit `first` (`second`) has room in every unit.
int AlonePair(const uint32_t* first, const uint32_t* second, uint32_t* aloneFirst,
              uint32_t* aloneSecond) {
  constexpr uint64_t kTwoBands = (uint64_t{1} << 32) + 1;
  const BandCells<uint64_t> high =
      ReadBands<uint64_t>(first[2] | uint64_t{second != nullptr ? second[2] : 0} << 32, kTwoBands);
  const BandCells<uint64_t> lowFirst =
      ReadBands<uint64_t>(first[0] | uint64_t{first[1]} << 32, kTwoBands);
  int room = AlonePlaces(first, lowFirst, high, 0, aloneFirst) ? 1 : 0;
  if (second != nullptr) {
    const BandCells<uint64_t> lowSecond =
        ReadBands<uint64_t>(second[0] | uint64_t{second[1]} << 32, kTwoBands);
    room |= AlonePlaces(second, lowSecond, high, 32, aloneSecond) ? 2 : 0;
  }
  return room;
}

// Box-line reduction of one digit, by bands (rows against boxes) and by
// stacks (columns against boxes). False when a band or stack has no room.
bool FilterSegments(const Tables9& t, uint32_t* w) {
  for (int b = 0; b < 3; ++b) {
    const uint32_t x = w[b];
    const int s = t.segments[x & kRow] | t.segments[x >> 9 & kRow] << 3 | t.segments[x >> 18] << 6;
    const int keep = t.permutations[s];
    if (keep == 0) return false;
    if (keep != s) {
      w[b] = x & (t.segmentCells[keep & 7] | t.segmentCells[keep >> 3 & 7] << 9 |
                  t.segmentCells[keep >> 6] << 18);
    }
  }
  uint32_t columns[3];
  for (int b = 0; b < 3; ++b) columns[b] = (w[b] | w[b] >> 9 | w[b] >> 18) & kRow;
  uint32_t allowed[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k) {
    const int s = static_cast<int>((columns[0] >> (3 * k) & 7) | (columns[1] >> (3 * k) & 7) << 3 |
                                   (columns[2] >> (3 * k) & 7) << 6);
    const uint32_t keep = t.permutations[s];
    if (keep == 0) return false;
    for (int b = 0; b < 3; ++b) allowed[b] |= (keep >> (3 * b) & 7) << (3 * k);
  }
  for (int b = 0; b < 3; ++b) w[b] &= allowed[b] * kColumnCopies;
  return true;
}

// Keeps X below (or above) the bound: the first cell from lexPos on that is
// not the bound's digit may not pass it.
Change KeepBound(Board9* s, const Query& query, uint32_t* dirty) {
  const bool below = query.bound == LexBound::kBelow;
  Change change = Change::kNone;
  int p = s->lexPos;
  for (; p < 81; ++p) {
    const int b = p / 27;
    const uint32_t bit = uint32_t{1} << (p % 27);
    const uint32_t digit = uint32_t{1} << (query.boundDigits[p] - 1);
    const uint32_t m = CellDigits(*s, b, bit);
    const uint32_t cut = m & (below ? (digit | (digit - 1)) : ~(digit - 1));
    if (cut == 0) return Change::kContradiction;
    if (cut != m) {
      uint32_t gone = m & ~cut;
      *dirty |= gone;
      while (gone != 0) {
        s->places[LowestBit(gone)][b] &= ~bit;
        gone &= gone - 1;
      }
      change = Change::kSome;
    }
    if (cut != digit) break;
  }
  s->lexPos = p;
  // Equal in every cell is not strictly below or above.
  if (p == 81) return Change::kContradiction;
  return change;
}

// The first unit (rows, columns, boxes as in GridTables) without a place for
// the digit whose places are w, -1 when there is none.
int EmptyUnit(const uint32_t* w) {
  for (int y = 0; y < 9; ++y) {
    if ((w[y / 3] >> (9 * (y % 3)) & kRow) == 0) return y;
  }
  for (int x = 0; x < 9; ++x) {
    if (((w[0] | w[1] | w[2]) & (kColumnCopies << x)) == 0) return 9 + x;
  }
  for (int box = 0; box < 9; ++box) {
    if ((w[box / 3] & kBoxCells << (3 * (box % 3))) == 0) return 18 + box;
  }
  return -1;
}

}  // namespace

bool Settle9(Board9* s, uint32_t dirty, const Query* query) {
  const Tables9& t = T9();
  const bool bounded = query != nullptr && query->bound != LexBound::kNone;
  uint32_t unchecked = dirty;
  uint32_t unfiltered = dirty;
  for (;;) {
    uint32_t changed = 0;
    for (;;) {
      // Per cell: whether it has one digit, two or more, and the bits of the
      // digit's index (meaningful where it has one); all four bands at once.
      Bands x[9];
      for (int d = 0; d < 9; ++d) std::memcpy(&x[d], s->places[d], sizeof x[d]);
      Bands once = x[0];
      Bands twice = {0, 0, 0, 0};
      for (int d = 1; d < 9; ++d) {
        twice |= once & x[d];
        once |= x[d];
      }
      const Bands index[4] = {x[1] | x[3] | x[5] | x[7], x[2] | x[3] | x[6] | x[7],
                              x[4] | x[5] | x[6] | x[7], x[8]};
      uint32_t single[3];
      for (int b = 0; b < 3; ++b) {
        if (once[b] != kBand9) {
          const int c = 27 * b + LowestBit(~once[b] & kBand9);
          AddWeight(c / 9);
          AddWeight(9 + c % 9);
          AddWeight(18 + c / 27 * 3 + c % 9 / 3);
          return false;
        }
        single[b] = once[b] & ~twice[b] & s->open[b];
      }
      if ((single[0] | single[1] | single[2]) == 0) break;
      // A cell with one digit has nothing else to lose: only its peers do.
      for (int b = 0; b < 3; ++b) {
        s->open[b] &= ~single[b];
        for (uint32_t cells = single[b]; cells != 0; cells &= cells - 1) {
          const int i = LowestBit(cells);
          const int d = static_cast<int>((index[0][b] >> i & 1) | (index[1][b] >> i & 1) << 1 |
                                         (index[2][b] >> i & 1) << 2 | (index[3][b] >> i & 1) << 3);
          // An earlier cell of this round took the digit from this one.
          if ((s->places[d][b] >> i & 1) == 0) return false;
          const int c = 27 * b + i;
          for (int k = 0; k < 4; ++k) s->places[d][k] &= ~t.peers[c][k];
          changed |= uint32_t{1} << d;
        }
      }
    }
    unchecked |= changed;
    unfiltered |= changed;
    changed = 0;
    while (unchecked != 0) {
      int digits[2] = {LowestBit(unchecked), -1};
      unchecked &= unchecked - 1;
      if (unchecked != 0) {
        digits[1] = LowestBit(unchecked);
        unchecked &= unchecked - 1;
      }
      uint32_t alone[2][3];
      const int room =
          AlonePair(s->places[digits[0]], digits[1] >= 0 ? s->places[digits[1]] : nullptr, alone[0],
                    alone[1]);
      for (int k = 0; k < 2 && digits[k] >= 0; ++k) {
        const int d = digits[k];
        if ((room >> k & 1) == 0) {
          const int unit = EmptyUnit(s->places[d]);
          if (unit >= 0) AddWeight(unit);
          return false;
        }
        for (int b = 0; b < 3; ++b) {
          for (uint32_t x = alone[k][b] & s->open[b]; x != 0; x &= x - 1) {
            if (!Place(t, s, d, 27 * b + LowestBit(x), &changed)) return false;
          }
        }
      }
    }
    unchecked = changed;
    unfiltered |= changed;
    if (changed != 0) continue;
    for (int d = 0; d < 9; ++d) {
      if ((unfiltered >> d & 1) == 0) continue;
      uint32_t* w = s->places[d];
      const uint32_t before[3] = {w[0], w[1], w[2]};
      if (!FilterSegments(t, w)) return false;
      if (w[0] != before[0] || w[1] != before[1] || w[2] != before[2]) {
        changed |= uint32_t{1} << d;
      }
    }
    unfiltered = changed;
    unchecked |= changed;
    if (changed != 0) continue;
    if (bounded) {
      const Change cut = KeepBound(s, *query, &changed);
      if (cut == Change::kContradiction) return false;
      unchecked |= changed;
      unfiltered |= changed;
      if (cut == Change::kSome) continue;
    }
    return true;
  }
}

void PlaceLone9(Board9* s, int cell, int d) {
  const Tables9& t = T9();
  for (int k = 0; k < 4; ++k) s->places[d][k] &= ~t.peers[cell][k];
  s->open[cell / 27] &= ~(uint32_t{1} << (cell % 27));
}

int32_t cellWeight9[81];

void ResetWeights9() {
  for (int32_t& weight : cellWeight9) weight = 3;
}
