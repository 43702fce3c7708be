#include "solver/engine/bit_grid.h"

namespace {

template <int N>
GridTables<N> BuildTables() {
  using Shape = GridShape<N>;
  constexpr int n = Shape::kBox;
  GridTables<N> tables = {};
  for (int i = 0; i < N; ++i) {
    const int x0 = i % n * n;
    const int y0 = i / n * n;
    for (int j = 0; j < N; ++j) {
      tables.units[i][j] = static_cast<uint16_t>(i * N + j);
      tables.units[N + i][j] = static_cast<uint16_t>(j * N + i);
      tables.units[2 * N + i][j] = static_cast<uint16_t>((y0 + j / n) * N + x0 + j % n);
    }
  }
  for (int c = 0; c < Shape::kCells; ++c) {
    const int x = c % N;
    const int y = c / N;
    tables.cellUnits[c][0] = static_cast<uint8_t>(y);
    tables.cellUnits[c][1] = static_cast<uint8_t>(N + x);
    tables.cellUnits[c][2] = static_cast<uint8_t>(2 * N + y / n * n + x / n);
    tables.rowBand[c] = static_cast<uint8_t>(y / n);
    tables.columnBand[c] = static_cast<uint8_t>(x / n);
    int count = 0;
    for (int p = 0; p < Shape::kCells; ++p) {
      const int px = p % N;
      const int py = p / N;
      const bool sameBox = px / n == x / n && py / n == y / n;
      if (p != c && (px == x || py == y || sameBox)) {
        tables.peers[c][count++] = static_cast<uint16_t>(p);
      }
    }
  }
  for (int line = 0; line < N; ++line) {
    for (int k = 0; k < n; ++k) {
      for (int j = 0; j < n; ++j) {
        tables.rowSegments[line][k][j] = static_cast<uint16_t>(line * N + k * n + j);
        tables.columnSegments[line][k][j] = static_cast<uint16_t>((k * n + j) * N + line);
      }
    }
  }
  return tables;
}

}  // namespace

template <int N>
const GridTables<N>& Tables() {
  static const GridTables<N> tables = BuildTables<N>();
  return tables;
}

template const GridTables<9>& Tables<9>();
template const GridTables<16>& Tables<16>();
template const GridTables<25>& Tables<25>();
