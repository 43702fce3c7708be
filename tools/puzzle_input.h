// The puzzles of corvana-solve's input, over the reader of puzzle text: an
// input-data file, or text with any number of puzzles in any of the text
// forms. The input is read as a stream, in the same little memory whatever its
// length, and each puzzle is handed on as soon as it is read, whole or with
// the reason it was refused, so one bad puzzle never hides the others.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "file/input_data.h"

struct Puzzle {
  std::string source;  // file name as given, "-" for standard input
  int line;            // 1-based line of a text puzzle (of its error when refused), 0 for a file
  int column;          // 1-based column of a refused text puzzle's error, else 0
  bool valid;
  std::string error;  // why the puzzle was refused, when !valid
  InputData data;
};

// Hands each puzzle of the file ("-" for standard input) to `take` in turn,
// until `take` returns false; a file that cannot be read is one refused
// puzzle that says so. Standard output is flushed before each read, so what
// was printed for the puzzles so far leaves while the input is awaited.
void ForEachPuzzle(const std::string& name, const std::function<bool(const Puzzle&)>& take);

// Hands each readable puzzle of the files to `take`, in order; a refused one
// gets its place and reason on standard error and `refusedLine` on standard
// output instead. False when any puzzle was refused.
bool ForEachPuzzle(const std::vector<std::string>& files, const char* refusedLine,
                   const std::function<void(const Puzzle&)>& take);

// Where a puzzle is, for messages: "file:line:column", "file:line" or "file".
std::string PuzzlePlace(const Puzzle& puzzle);

// "corvana-solve: place: why" on standard error.
void ReportRefused(const Puzzle& puzzle);

// Text as a terminal can show it: UTF-8 as it stands, any other byte above
// 0x7F (code page 932 text, say) as \xNN.
std::string Printable(const std::string& text);
