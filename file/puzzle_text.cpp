#include "file/puzzle_text.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kMostCells = kMaxGridSize * kMaxGridSize;
constexpr size_t kLongestNumber = 3;  // "025"; a longer word is no number
constexpr size_t kLongestFound = 24;  // of a word quoted in an error

using ReadCell = PuzzleTextCell;

// 0x1A, the end-of-file mark of DOS tools, reads as blank: nothing after it
// is lost.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A';
}
bool IsDrawing(char c) { return c == '|' || c == '-' || c == '+' || c == '*' || c == '='; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNumberSeparator(char c) { return IsSpace(c) || c == ',' || c == ';'; }
// A UTF-8 continuation byte: part of the character before it.
bool ContinuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
// Part of the character before, `previous`: one that is no ASCII. In text of
// code page 932 the two bytes of a character count as one column as well.
bool ContinuesAfter(char previous, char c) {
  return ContinuesCharacter(c) && static_cast<unsigned char>(previous) >= 0x80;
}

int LetterIndex(char c) {
  if (c >= 'A' && c <= 'Y') return c - 'A' + 1;
  if (c >= 'a' && c <= 'y') return c - 'a' + 1;
  return 0;
}

bool IsCellCharacter(char c) { return IsDigit(c) || c == '.' || LetterIndex(c) != 0; }

bool IsBoardSide(size_t cells) {
  return cells <= kMaxGridSize && IsGridSize(static_cast<int32_t>(cells));
}

int SizeForCount(size_t count) {
  for (int n = 1; n <= kMaxGridSize; ++n) {
    if (IsGridSize(n) && count == static_cast<size_t>(n * n)) return n;
  }
  return 0;
}

PuzzleTextError MakeError(PuzzleTextProblem problem, int line, int column, std::string found = "",
                          int count = 0, int expected = 0) {
  if (found.size() > kLongestFound) found = found.substr(0, kLongestFound) + "...";
  return {problem, line, column, found, count, expected};
}

// One line of text, without its line end.
struct Line {
  const char* begin;
  const char* end;
  int number;
};

bool IsBlank(const Line& line) {
  for (const char* p = line.begin; p != line.end; ++p) {
    if (!IsSpace(*p)) return false;
  }
  return true;
}

bool IsComment(const Line& line) {
  const char* p = line.begin;
  while (p != line.end && IsSpace(*p)) ++p;
  return p != line.end && *p == '#';
}

// A row printed in box-wide groups, "530 070 000": n words of n cell
// characters each, for a box side n of 3, 4 or 5, so n * n cells in all.
// Numbers never look so, unless three zero-padded numbers stand on a line of
// their own, which no one writes.
bool IsGroupedRow(const Line& line) {
  size_t words = 0;
  size_t longest = 0;
  size_t shortest = kLongestPuzzleLine;
  const char* p = line.begin;
  while (p != line.end) {
    if (IsSpace(*p)) {
      ++p;
      continue;
    }
    const char* start = p;
    for (; p != line.end && !IsSpace(*p); ++p) {
      if (!IsCellCharacter(*p)) return false;
    }
    ++words;
    longest = std::max(longest, static_cast<size_t>(p - start));
    shortest = std::min(shortest, static_cast<size_t>(p - start));
  }
  return words >= 3 && words <= 5 && longest == words && shortest == words;
}

// A line of numbers has a comma or semicolon, or several words one of which
// is a number of two digits or more, and is no row in groups. Any other line
// is read a character a cell, which reads single-digit numbers between spaces
// the same way.
bool IsNumberLine(const Line& line) {
  if (IsGroupedRow(line)) return false;
  int words = 0;
  bool longNumber = false;
  const char* p = line.begin;
  while (p != line.end) {
    if (*p == ',' || *p == ';') return true;
    if (IsSpace(*p)) {
      ++p;
      continue;
    }
    const char* start = p;
    bool allDigits = true;
    for (; p != line.end && !IsNumberSeparator(*p); ++p) allDigits = allDigits && IsDigit(*p);
    ++words;
    longNumber = longNumber || (allDigits && p - start >= 2);
  }
  return words >= 2 && longNumber;
}

// The column of each byte of the line, counting characters.
std::vector<int> Columns(const Line& line) {
  std::vector<int> columns;
  columns.reserve(line.end - line.begin);
  int column = 0;
  for (const char* p = line.begin; p != line.end; ++p) {
    if (p == line.begin || !ContinuesAfter(p[-1], *p)) ++column;
    columns.push_back(column);
  }
  return columns;
}

bool ReadNumberLine(const Line& line, std::vector<ReadCell>* cells, PuzzleTextError* error) {
  const std::vector<int> columns = Columns(line);
  const char* p = line.begin;
  while (p != line.end) {
    if (IsNumberSeparator(*p)) {
      ++p;
      continue;
    }
    const char* start = p;
    bool allDigits = true;
    bool allDrawing = true;
    while (p != line.end && !IsNumberSeparator(*p)) {
      allDigits = allDigits && IsDigit(*p);
      allDrawing = allDrawing && IsDrawing(*p);
      ++p;
    }
    const std::string word(start, p);
    const int column = columns[start - line.begin];
    if (allDrawing) continue;
    if (word == ".") {
      cells->push_back({0, false, true, 0, line.number, column});
    } else if (allDigits && word.size() <= kLongestNumber) {
      cells->push_back({std::stoi(word), false, true, 0, line.number, column});
    } else {
      *error = MakeError(PuzzleTextProblem::kBadNumber, line.number, column, word);
      return false;
    }
  }
  return true;
}

bool ReadCharacterLine(const Line& line, std::vector<ReadCell>* cells, PuzzleTextError* error) {
  const std::vector<int> columns = Columns(line);
  for (const char* p = line.begin; p != line.end; ++p) {
    const char c = *p;
    const int column = columns[p - line.begin];
    if (IsSpace(c) || IsDrawing(c)) continue;
    if (c == '.') {
      cells->push_back({0, false, false, c, line.number, column});
    } else if (IsDigit(c)) {
      cells->push_back({c - '0', false, false, c, line.number, column});
    } else if (LetterIndex(c) != 0) {
      cells->push_back({LetterIndex(c), true, false, c, line.number, column});
    } else {
      const char* next = p + 1;
      while (next != line.end && ContinuesAfter(next[-1], *next)) ++next;
      *error =
          MakeError(PuzzleTextProblem::kBadCharacter, line.number, column, std::string(p, next));
      return false;
    }
  }
  return true;
}

// The board of a complete count of cells, or the first cell that does not fit
// its size.
bool MakeBoard(const std::vector<ReadCell>& cells, InputData* data, PuzzleTextError* error) {
  const int n = SizeForCount(cells.size());
  bool lettered = false;
  for (const ReadCell& cell : cells) lettered = lettered || cell.letter;
  InputData parsed = {};
  parsed.gridSize = n;
  for (size_t i = 0; i < cells.size(); ++i) {
    const ReadCell& cell = cells[i];
    int32_t value = cell.value;
    if (cell.letter) {
      value = n == 25 ? cell.value : n == 16 ? cell.value + 9 : 0;
      if (value == 0 || value > n) {
        *error = MakeError(PuzzleTextProblem::kLetterOutOfSize, cell.line, cell.column,
                           std::string(1, cell.symbol), 0, n);
        return false;
      }
    } else if (value > n) {
      *error = MakeError(PuzzleTextProblem::kAboveSize, cell.line, cell.column,
                         std::to_string(value), 0, n);
      return false;
    } else if (lettered && n == 25 && value != 0) {
      *error = MakeError(PuzzleTextProblem::kDigitAmongLetters, cell.line, cell.column,
                         std::to_string(value), 0, n);
      return false;
    }
    parsed.given[i % n][i / n] = value;
  }
  *data = parsed;
  return true;
}

Line LineAt(const std::string& text, const PuzzleTextCursor& cursor) {
  const char* begin = text.data() + cursor.offset;
  const char* textEnd = text.data() + text.size();
  const char* end = begin;
  while (end != textEnd && *end != '\n') ++end;
  return {begin, end, cursor.line};
}

void StepLine(const std::string& text, PuzzleTextCursor* cursor, const Line& line) {
  cursor->offset = static_cast<size_t>(line.end - text.data());
  if (cursor->offset < text.size()) ++cursor->offset;  // the '\n'
  ++cursor->line;
}

// Ends the puzzle being read as refused. `skip`: its grid goes on, and its
// remaining rows up to the next blank line are no new puzzle.
bool Refuse(PuzzleTextLines* state, const PuzzleTextError& error, bool skip, TextPuzzle* puzzle) {
  *puzzle = {state->startLine != 0 ? state->startLine : error.line, false, {}, error};
  *state = {};
  state->skipping = skip;
  return true;
}

}  // namespace

bool ReadPuzzleLine(PuzzleTextLines* state, const char* begin, const char* end, int number,
                    TextPuzzle* puzzle, bool* again) {
  *again = false;
  const Line line = {begin, end, number};
  if (IsBlank(line)) {
    state->skipping = false;
    return false;
  }
  if (IsComment(line)) return false;
  std::vector<ReadCell> lineCells;
  PuzzleTextError error;
  std::vector<ReadCell>& cells = state->cells;
  if (static_cast<size_t>(end - begin) > kLongestPuzzleLine) {
    if (state->skipping) return false;
    return Refuse(state, MakeError(PuzzleTextProblem::kLineTooLong, number, 1), !cells.empty(),
                  puzzle);
  }
  const bool read = IsNumberLine(line) ? ReadNumberLine(line, &lineCells, &error)
                                       : ReadCharacterLine(line, &lineCells, &error);
  if (state->skipping) {
    // The rest of a refused grid, unless a whole board stands on the line:
    // that is a puzzle of its own, never skipped unseen.
    if (!read || SizeForCount(lineCells.size()) == 0) return false;
    state->skipping = false;
  }
  if (!read) return Refuse(state, error, !cells.empty(), puzzle);
  if (lineCells.empty()) return false;  // a line of drawing only
  if (!cells.empty() && SizeForCount(lineCells.size()) != 0) {
    // A whole board on one line starts a puzzle of its own: the lines before
    // it were a puzzle cut short. The line is read again for the next one.
    *again = true;
    return Refuse(state,
                  MakeError(PuzzleTextProblem::kCellCount, state->startLine, cells.front().column,
                            "", static_cast<int>(cells.size())),
                  false, puzzle);
  }
  if (cells.empty()) {
    state->startLine = number;
    state->rowWidth = IsBoardSide(lineCells.size()) ? lineCells.size() : 0;
  } else if (state->rowWidth != 0 && lineCells.size() != state->rowWidth) {
    return Refuse(state,
                  MakeError(PuzzleTextProblem::kRowLength, number, lineCells.front().column, "",
                            static_cast<int>(lineCells.size()), static_cast<int>(state->rowWidth)),
                  true, puzzle);
  }
  cells.insert(cells.end(), lineCells.begin(), lineCells.end());
  if (SizeForCount(cells.size()) != 0) {
    InputData data;
    if (!MakeBoard(cells, &data, &error)) return Refuse(state, error, false, puzzle);
    *puzzle = {state->startLine, true, data, {}};
    *state = {};
    return true;
  }
  if (cells.size() > kMostCells) {
    return Refuse(state,
                  MakeError(PuzzleTextProblem::kCellCount, state->startLine, cells.front().column,
                            "", static_cast<int>(cells.size())),
                  true, puzzle);
  }
  return false;
}

bool EndPuzzleText(PuzzleTextLines* state, TextPuzzle* puzzle) {
  if (state->cells.empty()) {
    *state = {};
    return false;
  }
  return Refuse(state,
                MakeError(PuzzleTextProblem::kCellCount, state->startLine,
                          state->cells.front().column, "", static_cast<int>(state->cells.size())),
                false, puzzle);
}

bool NextTextPuzzle(const std::string& text, PuzzleTextCursor* cursor, TextPuzzle* puzzle) {
  if (cursor->offset == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) cursor->offset = 3;
  PuzzleTextLines state;
  state.skipping = cursor->skipping;
  bool found = false;
  while (cursor->offset < text.size() && !found) {
    const Line line = LineAt(text, *cursor);
    bool again = false;
    found = ReadPuzzleLine(&state, line.begin, line.end, line.number, puzzle, &again);
    if (!again) StepLine(text, cursor, line);
  }
  cursor->skipping = state.skipping;
  return found || EndPuzzleText(&state, puzzle);
}

bool ReadFirstPuzzle(const std::string& text, InputData* data, bool* more, PuzzleTextError* error) {
  PuzzleTextCursor cursor;
  TextPuzzle puzzle;
  if (!NextTextPuzzle(text, &cursor, &puzzle)) {
    *error = MakeError(PuzzleTextProblem::kNoPuzzle, 1, 1);
    return false;
  }
  if (!puzzle.valid) {
    *error = puzzle.error;
    return false;
  }
  // Text around a puzzle (a post's words after its grid) is no second puzzle.
  TextPuzzle next;
  *more = false;
  while (!*more && NextTextPuzzle(text, &cursor, &next)) *more = next.valid;
  *data = puzzle.data;
  return true;
}

std::string PuzzleTextErrorReason(const PuzzleTextError& error) {
  const std::string found = "'" + error.found + "'";
  const std::string size = std::to_string(error.expected);
  std::string why;
  switch (error.problem) {
    case PuzzleTextProblem::kNoPuzzle:
      why = "no puzzle: the text is empty or holds only comments";
      break;
    case PuzzleTextProblem::kBadCharacter:
      why = found +
            " is neither a cell (a digit, a letter A to Y, '.') nor drawing (| - + * = "
            "and spaces)";
      break;
    case PuzzleTextProblem::kBadNumber:
      why = found + " is neither a number from 0 to 25 nor '.'";
      break;
    case PuzzleTextProblem::kAboveSize:
      why = error.found + " is above " + size + ", the largest digit of a " + size + "x" + size +
            " board";
      break;
    case PuzzleTextProblem::kLetterOutOfSize:
      why = found + " is no digit of a " + size + "x" + size + " board" +
            (error.expected == 16 ? " (A to G stand for 10 to 16)" : " (1 to 9)");
      break;
    case PuzzleTextProblem::kDigitAmongLetters:
      why = found + " stands among letters: a 25x25 board in letters writes 1 to 25 as A to Y";
      break;
    case PuzzleTextProblem::kRowLength:
      why = "this row has " + std::to_string(error.count) + " cells, the rows above " + size;
      break;
    case PuzzleTextProblem::kLineTooLong:
      why = "the line is longer than " + std::to_string(kLongestPuzzleLine) +
            " bytes, more than any board needs";
      break;
    case PuzzleTextProblem::kCellCount:
      why = "the puzzle starting here has " + std::to_string(error.count) +
            " cells; a board has 81 (9x9), 256 (16x16) or 625 (25x25)";
      break;
  }
  return why;
}

std::string PuzzleToText(int gridSize, const int32_t cells[kMaxGridSize][kMaxGridSize]) {
  std::string text;
  for (int y = 0; y < gridSize; ++y) {
    for (int x = 0; x < gridSize; ++x) {
      const int32_t v = cells[x][y];
      if (gridSize == 9) {
        text += v == 0 ? '.' : static_cast<char>('0' + v);
      } else {
        if (x > 0) text += ' ';
        text += std::to_string(v);
      }
    }
    if (gridSize != 9 || y == gridSize - 1) text += '\n';
  }
  return text;
}

bool LooksLikeInputData(const uint8_t* bytes, size_t size) {
  if (size >= sizeof kInputDataMarker &&
      std::memcmp(bytes, kInputDataMarker, sizeof kInputDataMarker) == 0) {
    return true;
  }
  for (size_t i = 0; i < std::min(size, kFileKindBytes); ++i) {
    const uint8_t b = bytes[i];
    if (b == '\n') return false;
    const bool textControl =
        b == '\t' || b == '\n' || b == '\v' || b == '\f' || b == '\r' || b == 0x1A;
    if ((b < 0x20 && !textControl) || b == 0x7F) return true;
  }
  return false;
}
