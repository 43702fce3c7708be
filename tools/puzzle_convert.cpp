#include "tools/puzzle_convert.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file/input_data.h"
#include "file/puzzle_text.h"
#include "file/replace_file.h"
#include "tools/puzzle_input.h"

int WriteCvnCommand(const std::string& out, const std::string& file) {
  // The first puzzle, and how many more read after it: words around a
  // puzzle (a post's text after its grid) are no second one.
  Puzzle first = {};
  bool any = false;
  int more = 0;
  int secondLine = 0;
  ForEachPuzzle(file, [&](const Puzzle& puzzle) {
    if (!any) {
      first = puzzle;
      any = true;
      return puzzle.valid;
    }
    if (puzzle.valid && ++more == 1) secondLine = puzzle.line;
    return true;
  });
  if (!any) {
    std::fprintf(stderr, "corvana-solve: %s: no puzzle\n", Printable(file).c_str());
    return 2;
  }
  if (!first.valid) {
    ReportRefused(first);
    return 2;
  }
  if (more > 0) {
    std::fprintf(stderr,
                 "corvana-solve: %s: holds %d puzzles, --write-cvn writes one (the second "
                 "starts at line %d)\n",
                 Printable(file).c_str(), more + 1, secondLine);
    return 2;
  }
  if (WriteFileReplacing(out, EncodeInputData(first.data)) != ReplaceOutcome::kReplaced) {
    std::fprintf(stderr, "corvana-solve: cannot write %s: %s\n", Printable(out).c_str(),
                 std::strerror(errno));
    return 1;
  }
  return 0;
}

int PrintCluesCommand(const std::vector<std::string>& files) {
  bool anyRefused = false;
  for (const std::string& file : files) {
    ForEachPuzzle(file, [&](const Puzzle& puzzle) {
      if (puzzle.valid) {
        std::fputs(PuzzleToText(puzzle.data.gridSize, puzzle.data.given).c_str(), stdout);
        std::fputs("--\n", stdout);
      } else {
        ReportRefused(puzzle);
        std::fputs("invalid\n--\n", stdout);
        anyRefused = true;
      }
      return true;
    });
  }
  return anyRefused ? 2 : 0;
}
