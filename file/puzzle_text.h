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
// Lines starting with '#' are comments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "file/input_data.h"

enum class PuzzleTextProblem {
  kNoPuzzle,           // nothing but blanks and comments
  kBadCharacter,       // `found` is neither a cell nor drawing
  kBadNumber,          // `found` is a word in a line of numbers that is no number
  kAboveSize,          // `found` is above the board size `expected`
  kLetterOutOfSize,    // `found` is a letter the board size `expected` has no digit for
  kDigitAmongLetters,  // `found` is a digit on a 25x25 board written in letters
  kRowLength,          // a grid row of `count` cells under rows of `expected`
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
};

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
// The error in English with its place, "line L, column C: why".
std::string DescribePuzzleTextError(const PuzzleTextError& error);

// The copy form: a 9x9 board as one line of 81 characters with '.' for an
// empty cell; 16x16 and 25x25 as N lines of N numbers separated by spaces,
// 0 for an empty cell. Each line ends with '\n'. Reads back as the same board.
std::string PuzzleToText(int gridSize, const int32_t cells[kMaxGridSize][kMaxGridSize]);

// True when bytes are an input-data file rather than text: they start with
// the file's marker, or hold a control byte that text never has. Reading them
// is then the load command's business (DecodeInputData).
bool LooksLikeInputData(const uint8_t* bytes, size_t size);
