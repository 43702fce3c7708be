// The board sides the program knows, 9, 16 and 25, and the box side of each:
// the one place that names them, for the model, the engine and the readers of
// puzzle files alike.
#pragma once

#include <cstdint>
#include <type_traits>

// Storage of every board layer is sized for the largest side.
constexpr int32_t kMaxGridSize = 25;

// The box side n for a board side N: 3, 4 or 5; 0 for any other side.
constexpr int32_t BoxSizeFor(int32_t gridSize) {
  return gridSize == 9 ? 3 : gridSize == 16 ? 4 : gridSize == 25 ? 5 : 0;
}

// True for the three board sides the program knows.
constexpr bool IsGridSize(int32_t gridSize) { return BoxSizeFor(gridSize) != 0; }

// call(std::integral_constant<int, N>{}) for the board side N, so that code
// templated on the side is reached from a side known only at run time; a side
// the program does not know is taken as 25.
template <typename Call>
decltype(auto) ForGridSize(int32_t gridSize, Call&& call) {
  switch (gridSize) {
    case 9:
      return call(std::integral_constant<int, 9>{});
    case 16:
      return call(std::integral_constant<int, 16>{});
    default:
      return call(std::integral_constant<int, 25>{});
  }
}
