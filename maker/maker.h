// corvana_maker: what people who make or study puzzles ask beside a solve,
// on the search engine (solver/engine/engine.h). Boards are clues in
// reading order (index y * N + x), 0 for an empty cell. One call at a time:
// the engine's working memory is static.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file/input_data.h"

// A board as the maker reads it.
struct MakerBoard {
  int size;                    // 9, 16 or 25
  std::vector<uint8_t> cells;  // size * size digits, 0 for empty
};

MakerBoard BoardOf(const InputData& data);

// The number of solutions of `board`, counted up to `limit` (>= 1).
int64_t CountBoard(const MakerBoard& board, int64_t limit);

// How a count reads: "none", "unique", "several (K)" or "at least LIMIT".
std::string CountText(int64_t count, int64_t limit);
