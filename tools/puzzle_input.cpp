#include "tools/puzzle_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file/puzzle_text.h"

namespace {

static_assert(kMaxInputDataFileSize == 1254, "the message of kTooLong names the limit");

const char* DescribeStatus(InputDataStatus status) {
  switch (status) {
    case InputDataStatus::kBadHeader:
      return "not a valid input-data file: it ends within the header or its size is not 9, 16 "
             "or 25";
    case InputDataStatus::kBadClues:
      return "not a valid input-data file: a clue is above the board size or the clues end "
             "early";
    case InputDataStatus::kTooLong:
      return "not a valid input-data file: longer than 1254 bytes, the size of the largest board";
    case InputDataStatus::kOk:
      break;
  }
  return "";
}

// The whole input, except that an input-data file is read only as far as it
// takes to know it is too long: text of many puzzles may be any length.
bool ReadAll(const std::string& name, std::vector<uint8_t>* content) {
  FILE* file = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
  if (file == nullptr) return false;
  uint8_t buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    content->insert(content->end(), buffer, buffer + got);
    if (content->size() > kMaxInputDataFileSize &&
        LooksLikeInputData(content->data(), content->size())) {
      content->resize(kInputDataReadLimit);
      break;
    }
  }
  const bool ok = std::ferror(file) == 0;
  if (file != stdin) std::fclose(file);
  return ok;
}

}  // namespace

std::vector<Puzzle> ReadPuzzles(const std::string& name) {
  std::vector<uint8_t> content;
  if (!ReadAll(name, &content)) {
    return {{name, 0, 0, false, std::string("cannot read: ") + std::strerror(errno), {}}};
  }
  return ParsePuzzles(name, content);
}

std::string PuzzlePlace(const Puzzle& puzzle) {
  std::string place = puzzle.source;
  if (puzzle.line > 0) place += ":" + std::to_string(puzzle.line);
  if (puzzle.column > 0) place += ":" + std::to_string(puzzle.column);
  return place;
}

std::vector<Puzzle> ParsePuzzles(const std::string& source, const std::vector<uint8_t>& content) {
  std::vector<Puzzle> puzzles;
  if (LooksLikeInputData(content.data(), content.size())) {
    Puzzle puzzle = {source, 0, 0, false, "", {}};
    const InputDataStatus status = DecodeInputData(content.data(), content.size(), &puzzle.data);
    puzzle.valid = status == InputDataStatus::kOk;
    puzzle.error = DescribeStatus(status);
    puzzles.push_back(puzzle);
    return puzzles;
  }
  const std::string text(content.begin(), content.end());
  PuzzleTextCursor cursor;
  TextPuzzle read;
  while (NextTextPuzzle(text, &cursor, &read)) {
    Puzzle puzzle = {source, read.line, 0, read.valid, "", read.data};
    if (!read.valid) {
      puzzle.line = read.error.line;
      puzzle.column = read.error.column;
      puzzle.error = PuzzleTextErrorReason(read.error);
    }
    puzzles.push_back(puzzle);
  }
  return puzzles;
}

bool ForEachPuzzle(const std::vector<std::string>& files, const char* refusedLine,
                   const std::function<void(const Puzzle&)>& take) {
  bool allValid = true;
  for (const std::string& name : files) {
    for (const Puzzle& puzzle : ReadPuzzles(name)) {
      if (puzzle.valid) {
        take(puzzle);
        continue;
      }
      std::fprintf(stderr, "corvana-solve: %s: %s\n", PuzzlePlace(puzzle).c_str(),
                   puzzle.error.c_str());
      std::fputs(refusedLine, stdout);
      allValid = false;
    }
  }
  return allValid;
}
