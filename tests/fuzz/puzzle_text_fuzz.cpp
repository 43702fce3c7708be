// libFuzzer target: the reader of puzzle text on any bytes. Besides not
// crashing, hanging or reading out of bounds, every puzzle it reads must be a
// board of a known size whose copy form reads back as the same board, every
// refusal must say where and why, and the window's first puzzle must be the
// first the tool reads.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "file/puzzle_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool SameBoard(const InputData& a, const InputData& b) {
  if (a.gridSize != b.gridSize) return false;
  for (int x = 0; x < a.gridSize; ++x) {
    for (int y = 0; y < a.gridSize; ++y) {
      if (a.given[x][y] != b.given[x][y]) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  LooksLikeInputData(bytes, size);
  PuzzleTextCursor cursor;
  TextPuzzle puzzle;
  bool first = true;
  TextPuzzle firstPuzzle = {};
  while (NextTextPuzzle(text, &cursor, &puzzle)) {
    Check(cursor.offset <= text.size());
    if (first) firstPuzzle = puzzle;
    first = false;
    if (puzzle.valid) {
      const int n = puzzle.data.gridSize;
      Check(n == 9 || n == 16 || n == 25);
      for (int x = 0; x < n; ++x) {
        for (int y = 0; y < n; ++y)
          Check(puzzle.data.given[x][y] >= 0 && puzzle.data.given[x][y] <= n);
      }
      InputData again;
      bool more = true;
      PuzzleTextError error;
      Check(ReadFirstPuzzle(PuzzleToText(n, puzzle.data.given), &again, &more, &error));
      Check(!more && SameBoard(again, puzzle.data));
    } else {
      Check(puzzle.error.line >= 1 && puzzle.error.column >= 1);
      Check(!PuzzleTextErrorReason(puzzle.error).empty());
    }
  }
  InputData data;
  bool more = false;
  PuzzleTextError error;
  const bool read = ReadFirstPuzzle(text, &data, &more, &error);
  Check(read == (!first && firstPuzzle.valid));
  if (read) Check(SameBoard(data, firstPuzzle.data));
  if (!read) Check(!PuzzleTextErrorReason(error).empty());
  return 0;
}
