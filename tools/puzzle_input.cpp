#include "tools/puzzle_input.h"

#include <cctype>
#include <cstdlib>

namespace {

bool IsTextByte(uint8_t byte) {
  return (byte >= 0x20 && byte < 0x7F) || byte == '\t' || byte == '\n' || byte == '\r' ||
         byte == '\v' || byte == '\f';
}

bool IsBlank(const std::string& line) {
  for (char c : line) {
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

int GridSizeForCells(size_t cells) {
  for (int n : {9, 16, 25}) {
    if (cells == static_cast<size_t>(n * n)) return n;
  }
  return 0;
}

// The compact 9x9 form: 81 characters, a digit or '.' / '0' for an empty cell.
bool ParseCompactLine(const std::string& line, InputData* data, std::string* error) {
  InputData parsed = {};
  parsed.gridSize = 9;
  for (int i = 0; i < 81; ++i) {
    const char c = line[i];
    int v = 0;
    if (c >= '1' && c <= '9') {
      v = c - '0';
    } else if (c != '.' && c != '0') {
      *error = "cell " + std::to_string(i + 1) + " is '" + std::string(1, c) +
               "', not a digit, '.' or '0'";
      return false;
    }
    parsed.given[i % 9][i / 9] = v;
  }
  *data = parsed;
  return true;
}

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The words of a line, counted and then read in place: a 25x25 line has 625
// of them, too many to copy each into a string of its own.
size_t CountWords(const std::string& line) {
  size_t count = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (!IsSpace(line[i]) && (i == 0 || IsSpace(line[i - 1]))) ++count;
  }
  return count;
}

bool ParseWordsLine(const std::string& line, InputData* data, std::string* error) {
  const size_t count = CountWords(line);
  const int n = GridSizeForCells(count);
  if (n == 0) {
    const std::string found = count == 1 ? std::to_string(line.size()) + " characters"
                                         : std::to_string(count) + " numbers";
    *error = "expected 81 characters, or 81, 256 or 625 numbers, found " + found;
    return false;
  }
  InputData parsed = {};
  parsed.gridSize = n;
  size_t at = 0;
  for (size_t i = 0; i < count; ++i) {
    while (IsSpace(line[at])) ++at;
    const size_t start = at;
    int v = 0;
    bool number = true;
    for (; at < line.size() && !IsSpace(line[at]); ++at) {
      const char c = line[at];
      number = number && c >= '0' && c <= '9' && at - start < 3;
      if (number) v = v * 10 + (c - '0');
    }
    if (!number || v > n) {
      const std::string word = line.substr(start, at - start);
      const std::string cell = "cell " + std::to_string(i + 1);
      *error = !number ? cell + " is '" + word + "', not a number from 0 to " + std::to_string(n)
                       : cell + " holds " + word + ", above " + std::to_string(n);
      return false;
    }
    parsed.given[i % n][i / n] = v;
  }
  *data = parsed;
  return true;
}

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

}  // namespace

bool LooksLikeInputData(const std::vector<uint8_t>& content) {
  for (uint8_t byte : content) {
    if (!IsTextByte(byte)) return true;
  }
  return false;
}

bool ParsePuzzleLine(const std::string& line, InputData* data, std::string* error) {
  if (line.size() == 81 && line.find_first_of(" \t") == std::string::npos) {
    return ParseCompactLine(line, data, error);
  }
  return ParseWordsLine(line, data, error);
}

std::vector<Puzzle> ParsePuzzles(const std::string& source, const std::vector<uint8_t>& content) {
  std::vector<Puzzle> puzzles;
  if (LooksLikeInputData(content)) {
    Puzzle puzzle = {source, 0, false, "", {}};
    const InputDataStatus status = DecodeInputData(content.data(), content.size(), &puzzle.data);
    puzzle.valid = status == InputDataStatus::kOk;
    puzzle.error = DescribeStatus(status);
    puzzles.push_back(puzzle);
    return puzzles;
  }
  const std::string text(content.begin(), content.end());
  size_t start = 0;
  int lineNumber = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (IsBlank(line)) continue;
    line = line.substr(line.find_first_not_of(" \t\r\v\f"));
    while (std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    if (line[0] == '#') continue;
    Puzzle puzzle = {source, lineNumber, false, "", {}};
    puzzle.valid = ParsePuzzleLine(line, &puzzle.data, &puzzle.error);
    puzzles.push_back(puzzle);
  }
  return puzzles;
}
