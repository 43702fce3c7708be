// Puzzles as people write them down: the one reader of puzzle text, used by
// the window's paste, drop and command line and by corvana-solve, and the
// text the window's copy writes. Pure functions, callable from any thread.
//
// Forms, the board size told by the count of cells:
//   - characters: a digit 1-9, '.' or '0' for an empty cell, one cell each;
//     '|', '-', '+', '*', '=' and white space only draw (".ss" and forum
//     layouts). 16x16 writes 10 to 16 as 'A' to 'G'; 25x25 writes 1 to 25 as
//     'A' to 'Y' (letters in either case);
//   - numbers 0..N ('.' or 0 empty) between white space, commas or semicolons.
// A puzzle ends at the first line end where its count of cells is 81, 256 or
// 625, so one line, rows of a grid, or any wrapping of the numbers read alike.
// Lines starting with '#' are comments. A row may be printed in box-wide
// groups ("530 070 000").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file/input_data.h"

enum class PuzzleTextProblem {
  kNoPuzzle,           // nothing but blanks and comments
  kBadCharacter,       // `found` is neither a cell nor drawing
  kBadNumber,          // `found` is a word in a line of numbers that is no number
  kAboveSize,          // `found` is above the board size `expected`
  kLetterOutOfSize,    // `found` is a letter the board size `expected` has no digit for
  kDigitAmongLetters,  // `found` is a digit on a 25x25 board written in letters
  kRowLength,          // a grid row of `count` cells under rows of `expected`
  kLineTooLong,        // a line longer than kLongestPuzzleLine bytes
  kCellCount,          // the puzzle that starts here has `count` cells
};

// Where and why a text is no puzzle. Lines and columns count from 1; a column
// counts characters, not bytes, of UTF-8 text.
struct PuzzleTextError {
  PuzzleTextProblem problem;
  int line;
  int column;
  std::string found;
  int count;
  int expected;
};

// One puzzle of a text: its board, or the error that refused it.
struct TextPuzzle {
  int line;  // where the puzzle starts
  bool valid;
  InputData data;         // when valid
  PuzzleTextError error;  // when not
};

// The place in a text after the puzzles read so far; start with {}.
struct PuzzleTextCursor {
  size_t offset = 0;
  int line = 1;
  bool skipping = false;  // through the rest of a refused grid
};

// No board needs a line this long, not 625 numbers with generous spaces; a
// reader of a stream holds no more than this of one line.
constexpr size_t kLongestPuzzleLine = 65536;

// One cell as read, before the board size is known. Letters mean 10-16 on a
// 16x16 board and 1-25 on a 25x25 one, so they are kept as letters until the
// count of cells tells the size.
struct PuzzleTextCell {
  int32_t value;  // the digit or number; for a letter, 1 for 'A' to 25 for 'Y'
  bool letter;
  bool number;  // read from a line of numbers
  char symbol;  // the character of a letter
  int line;
  int column;
};

// What a reader fed a line at a time keeps between lines: the puzzle read so
// far. Start with {}.
struct PuzzleTextLines {
  std::vector<PuzzleTextCell> cells;
  int startLine = 0;
  size_t rowWidth = 0;    // cells in each row of a grid, when its first line is one row
  bool skipping = false;  // through the rest of a refused grid, up to a blank line
};

// Reads one line, numbered `number`, without its '\n' (of a longer line,
// kLongestPuzzleLine + 1 bytes are enough), for text of any length in little
// memory. True with *puzzle when a puzzle ends here; *again then tells that
// the line itself starts the next puzzle and is to be read again.
bool ReadPuzzleLine(PuzzleTextLines* state, const char* begin, const char* end, int number,
                    TextPuzzle* puzzle, bool* again);
// After the last line: true with *puzzle when the text ended inside one.
bool EndPuzzleText(PuzzleTextLines* state, TextPuzzle* puzzle);

// Reads the puzzle at the cursor and moves it past. A refused puzzle moves the
// cursor on to where the next one can start. False, with *puzzle untouched,
// when nothing but blank and comment lines is left.
bool NextTextPuzzle(const std::string& text, PuzzleTextCursor* cursor, TextPuzzle* puzzle);

// The one puzzle the window takes from a text: the first. True with *data
// written and *more set when another puzzle that reads follows it; false with
// *error written when the first puzzle is refused or there is none.
bool ReadFirstPuzzle(const std::string& text, InputData* data, bool* more, PuzzleTextError* error);

// Why the text was refused, in English, without the place.
std::string PuzzleTextErrorReason(const PuzzleTextError& error);

// The copy form: a 9x9 board as one line of 81 characters with '.' for an
// empty cell; 16x16 and 25x25 as N lines of N numbers separated by spaces,
// 0 for an empty cell. Each line ends with '\n'. Reads back as the same board.
std::string PuzzleToText(int gridSize, const int32_t cells[kMaxGridSize][kMaxGridSize]);

// How far into a file its kind shows: the smallest input-data file.
constexpr size_t kFileKindBytes = kInputDataHeaderSize + 9 * 9;

// True when a file's first bytes are an input-data file rather than text:
// they start with the file's marker, or hold a control byte that text never
// has (0x1A, the end of DOS text, is text) before the first line end and
// within kFileKindBytes. No more is looked at, so the kind of a stream is
// known as soon as its first line is in. Reading them is then the load command's business
// (DecodeInputData).
bool LooksLikeInputData(const uint8_t* bytes, size_t size);
