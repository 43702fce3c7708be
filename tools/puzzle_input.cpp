#include "tools/puzzle_input.h"

#include <fcntl.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "file/puzzle_text.h"

namespace {

const char* DescribeStatus(InputDataStatus status) {
  switch (status) {
    case InputDataStatus::kBadHeader:
      return "not a valid input-data file: it ends within the header or its size is not 9, 16 "
             "or 25";
    case InputDataStatus::kBadClues:
      return "not a valid input-data file: a clue is above the board size or the clues end "
             "early";
    case InputDataStatus::kOk:
      break;
  }
  return "";
}

// One open input: its bytes come in through a buffer, read with read(2) so
// that a pipe hands over what it has instead of waiting to fill the buffer.
struct Input {
  int descriptor;
  bool failed;
  bool ended;
};

// Appends up to `most` more bytes; false at the end of the input or on failure.
bool ReadMore(Input* input, size_t most, std::string* bytes) {
  if (input->ended) return false;
  std::fflush(stdout);
  std::fflush(stderr);
  const size_t had = bytes->size();
  bytes->resize(had + most);
  ssize_t got;
  do {
    got = read(input->descriptor, &(*bytes)[had], most);
  } while (got < 0 && errno == EINTR);
  bytes->resize(had + static_cast<size_t>(std::max<ssize_t>(got, 0)));
  input->failed = got < 0;
  input->ended = got <= 0;
  return got > 0;
}

bool TakeInputData(const std::string& name, Input* input, std::string* bytes,
                   const std::function<bool(const Puzzle&)>& take) {
  const size_t needed =
      InputDataBytesNeeded(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size());
  while (bytes->size() < needed && ReadMore(input, needed - bytes->size(), bytes)) {
  }
  if (input->failed) return false;
  Puzzle puzzle = {name, 0, 0, false, "", {}};
  const size_t size = std::min(bytes->size(), needed);
  const InputDataStatus status =
      DecodeInputData(reinterpret_cast<const uint8_t*>(bytes->data()), size, &puzzle.data);
  puzzle.valid = status == InputDataStatus::kOk;
  puzzle.error = DescribeStatus(status);
  take(puzzle);
  return true;
}

// Feeds the text's lines to the reader of puzzle text as they arrive. Only
// the line being read is kept, and of a line too long for any board only its
// first kLongestPuzzleLine + 1 bytes, which are enough to refuse it.
bool TakeText(const std::string& name, Input* input, std::string* bytes,
              const std::function<bool(const Puzzle&)>& take) {
  constexpr size_t kChunk = 1 << 16;
  if (bytes->compare(0, 3, "\xEF\xBB\xBF") == 0) bytes->erase(0, 3);
  PuzzleTextLines state;
  TextPuzzle read;
  int lineNumber = 1;
  bool discarding = false;  // the rest of a line too long to keep
  auto hand = [&](const TextPuzzle& text) {
    Puzzle puzzle = {name, text.line, 0, text.valid, "", text.data};
    if (!text.valid) {
      puzzle.line = text.error.line;
      puzzle.column = text.error.column;
      puzzle.error = PuzzleTextErrorReason(text.error);
    }
    return take(puzzle);
  };
  auto feed = [&](const char* begin, const char* end) {
    bool again = true;
    while (again) {
      if (ReadPuzzleLine(&state, begin, end, lineNumber, &read, &again) && !hand(read)) {
        return false;
      }
    }
    ++lineNumber;
    return true;
  };
  do {
    size_t start = 0;
    for (size_t end; (end = bytes->find('\n', start)) != std::string::npos; start = end + 1) {
      if (discarding) {
        discarding = false;
        ++lineNumber;
        continue;
      }
      if (!feed(bytes->data() + start, bytes->data() + end)) return true;
    }
    bytes->erase(0, start);
    if (discarding) bytes->clear();
    if (bytes->size() > kLongestPuzzleLine) {
      if (!feed(bytes->data(), bytes->data() + kLongestPuzzleLine + 1)) return true;
      --lineNumber;  // the line goes on; it is counted at its end
      bytes->clear();
      discarding = true;
    }
  } while (ReadMore(input, kChunk, bytes));
  if (input->failed) return false;
  if (!bytes->empty() && !feed(bytes->data(), bytes->data() + bytes->size())) return true;
  if (EndPuzzleText(&state, &read)) hand(read);
  return true;
}

// The bytes as they are on disk: on Windows a descriptor opens in text mode
// unless told otherwise, which would turn CR LF into LF and end the file at its
// first 0x1A (a blank in a puzzle line), and would change an input-data file.
int OpenBytes(const std::string& name) {
#ifdef _WIN32
  if (name == "-") {
    _setmode(STDIN_FILENO, _O_BINARY);
    return STDIN_FILENO;
  }
  return open(name.c_str(), O_RDONLY | O_BINARY);
#else
  return name == "-" ? STDIN_FILENO : open(name.c_str(), O_RDONLY);
#endif
}

}  // namespace

void ForEachPuzzle(const std::string& name, const std::function<bool(const Puzzle&)>& take) {
  const int descriptor = OpenBytes(name);
  Input input = {descriptor, descriptor < 0, descriptor < 0};
  std::string bytes;
  while (bytes.size() < kFileKindBytes && bytes.find('\n') == std::string::npos &&
         ReadMore(&input, kFileKindBytes - bytes.size(), &bytes)) {
  }
  bool read = !input.failed;
  if (read) {
    const bool inputData =
        LooksLikeInputData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    read = inputData ? TakeInputData(name, &input, &bytes, take)
                     : TakeText(name, &input, &bytes, take);
  }
  const int error = errno;
  if (descriptor > STDIN_FILENO) close(descriptor);
  if (!read) take({name, 0, 0, false, std::string("cannot read: ") + std::strerror(error), {}});
}

std::string Printable(const std::string& text) {
  std::string shown;
  for (size_t i = 0; i < text.size();) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x06 ? 2
                          : (lead >> 4) == 0x0E ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    bool whole = length != 0 && i + length <= text.size();
    for (size_t k = 1; whole && k < length; ++k) {
      whole = (static_cast<uint8_t>(text[i + k]) & 0xC0) == 0x80;
    }
    if (whole) {
      shown.append(text, i, length);
      i += length;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", lead);
      shown += escaped;
      ++i;
    }
  }
  return shown;
}

std::string PuzzlePlace(const Puzzle& puzzle) {
  std::string place = Printable(puzzle.source);
  if (puzzle.line > 0) place += ":" + std::to_string(puzzle.line);
  if (puzzle.column > 0) place += ":" + std::to_string(puzzle.column);
  return place;
}

void ReportRefused(const Puzzle& puzzle) {
  std::fprintf(stderr, "corvana-solve: %s: %s\n", PuzzlePlace(puzzle).c_str(),
               Printable(puzzle.error).c_str());
}

bool ForEachPuzzle(const std::vector<std::string>& files, const char* refusedLine,
                   const std::function<void(const Puzzle&)>& take) {
  bool allValid = true;
  for (const std::string& name : files) {
    ForEachPuzzle(name, [&](const Puzzle& puzzle) {
      if (puzzle.valid) {
        take(puzzle);
      } else {
        ReportRefused(puzzle);
        std::fputs(refusedLine, stdout);
        allValid = false;
      }
      return true;
    });
  }
  return allValid;
}
