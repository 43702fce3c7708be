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

void ReportRefused(const Puzzle& puzzle) {
  std::fprintf(stderr, "corvana-solve: %s: %s\n", PuzzlePlace(puzzle).c_str(),
               puzzle.error.c_str());
}

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
  const std::vector<Puzzle> puzzles = ReadPuzzles(file);
  if (puzzles.empty()) {
    std::fprintf(stderr, "corvana-solve: %s: no puzzle\n", file.c_str());
    return 2;
  }
  if (!puzzles[0].valid) {
    ReportRefused(puzzles[0]);
    return 2;
  }
  if (puzzles.size() > 1) {
    std::fprintf(stderr,
                 "corvana-solve: %s: holds %zu puzzles, --write-cvn writes one (the second "
                 "starts at line %d)\n",
                 file.c_str(), puzzles.size(), puzzles[1].line);
    return 2;
  }
  if (!WriteFileReplacing(out, EncodeInputData(puzzles[0].data))) {
    std::fprintf(stderr, "corvana-solve: cannot write %s: %s\n", out.c_str(), std::strerror(errno));
    return 1;
  }
  return 0;
}

int PrintCluesCommand(const std::vector<std::string>& files) {
  bool anyRefused = false;
  for (const std::string& file : files) {
    for (const Puzzle& puzzle : ReadPuzzles(file)) {
      if (!puzzle.valid) {
        ReportRefused(puzzle);
        std::printf("invalid\n--\n");
        anyRefused = true;
        continue;
      }
      std::printf("%s--\n", PuzzleToText(puzzle.data.gridSize, puzzle.data.given).c_str());
    }
  }
  return anyRefused ? 2 : 0;
}
