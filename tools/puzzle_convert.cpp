#include "tools/puzzle_convert.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file/input_data.h"
#include "file/puzzle_text.h"
#include "tools/puzzle_input.h"

namespace {

// Writes the whole file beside the target and renames it over the target only
// when every write and the close have succeeded, so a failure leaves an
// existing file as it was.
bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string temporary = path + ".XXXXXX";
  const int descriptor = mkstemp(&temporary[0]);
  if (descriptor < 0) return false;
  // mkstemp makes the file for its owner alone; the file gets the mode any
  // new file would.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t got = write(descriptor, bytes.data() + written, bytes.size() - written);
    if (got <= 0) break;
    written += static_cast<size_t>(got);
  }
  const bool closed = close(descriptor) == 0;
  if (written == bytes.size() && closed && std::rename(temporary.c_str(), path.c_str()) == 0) {
    return true;
  }
  const int saved = errno;
  std::remove(temporary.c_str());
  errno = saved;
  return false;
}

}  // namespace

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
  if (!WriteFileReplacing(out, EncodeInputData(first.data))) {
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
