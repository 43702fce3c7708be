// The bitmask board of the fast search: one candidate mask per cell, cells in
// reading order, and the fixed tables of peers, units and box-line segments
// for each of the three board sides. Used only on the solve worker.
#pragma once

#include <cstdint>
#include <cstring>

#include "solver/bits.h"
#include "solver/grid_size.h"

// Cell index i = y * N + x, so ascending indices are reading order.
// Mask bit d - 1 stands for digit d; a cell whose mask has one bit is decided.
template <int N>
struct GridShape {
  static constexpr int kBox = BoxSizeFor(N);
  static constexpr int kCells = N * N;
  static constexpr int kUnits = 3 * N;
  static constexpr int kPeers = 3 * (N - 1) - 2 * (kBox - 1);
  static constexpr uint32_t kAll = (uint32_t{1} << N) - 1;
};

// units[u]: rows 0..N-1, columns N..2N-1, boxes 2N..3N-1, cells in walk order.
// rowSegments[y][k]: the n cells of row y inside box column k; columnSegments
// likewise for column x inside box row k.
template <int N>
struct GridTables {
  using Shape = GridShape<N>;
  uint16_t peers[Shape::kCells][Shape::kPeers];
  uint16_t units[Shape::kUnits][N];
  uint16_t rowSegments[N][Shape::kBox][Shape::kBox];
  uint16_t columnSegments[N][Shape::kBox][Shape::kBox];
  // The units of each cell (row, column, box) and its band of rows and of
  // columns (y / n, x / n).
  uint8_t cellUnits[Shape::kCells][3];
  uint8_t rowBand[Shape::kCells];
  uint8_t columnBand[Shape::kCells];
};

// Built on first use; callers keep the reference for the whole search.
template <int N>
const GridTables<N>& Tables();

// Candidate masks of every cell plus where the lexicographic bound of a query
// stands: every cell before lexPos is decided and equal to the bound's digit.
template <int N>
struct GridState {
  uint32_t cand[GridShape<N>::kCells];
  int32_t lexPos;
};

// Bit k set when masks[k] has at least two bits and, unless `most` is 0, no
// more than `most`; k < count <= 32. Four masks at a time, without a branch
// on each.
inline uint32_t SeveralBits(const uint32_t* masks, int count, int most) {
  using Lanes = uint32_t __attribute__((vector_size(16)));
  using Flags = int32_t __attribute__((vector_size(16)));
  uint32_t several = 0;
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    Lanes m;
    std::memcpy(&m, masks + k, sizeof m);
    // Dropping one bit leaves some; dropping `most` leaves none.
    const Lanes beyondOne = m & (m - 1);
    Lanes beyond = beyondOne;
    for (int j = 1; j < most; ++j) beyond &= beyond - 1;
    Flags fits = beyondOne != 0;
    if (most > 0) fits &= beyond == 0;
    several |= static_cast<uint32_t>((fits[0] & 1) | (fits[1] & 2) | (fits[2] & 4) | (fits[3] & 8))
               << k;
  }
  // The last one to three, one at a time.
  for (int t = 0; t < (count & 3); ++t) {
    uint32_t beyond = masks[k + t] & (masks[k + t] - 1);
    const bool fits = beyond != 0;
    for (int j = 1; j < most; ++j) beyond &= beyond - 1;
    if (fits && (most == 0 || beyond == 0)) several |= uint32_t{1} << (k + t);
  }
  return several;
}
