// The puzzles of corvana-solve's input, over the reader of puzzle text: an
// input-data file, or text with any number of puzzles in any of the text
// forms. Each puzzle comes out whole or with the reason it was refused, so one
// bad puzzle never hides the others.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "file/input_data.h"

struct Puzzle {
  std::string source;  // file name as given, "-" for standard input
  int line;            // 1-based line of a text puzzle (of its error when refused), 0 for a file
  int column;          // 1-based column of a refused text puzzle's error, else 0
  bool valid;
  std::string error;  // why the puzzle was refused, when !valid
  InputData data;
};

// Reads the file ("-" for standard input) and splits it into puzzles; a file
// that cannot be read is one refused puzzle that says so.
std::vector<Puzzle> ReadPuzzles(const std::string& name);

// Hands each readable puzzle of the files to `take`, in order; a refused one
// gets its place and reason on standard error and `refusedLine` on standard
// output instead. False when any puzzle was refused.
bool ForEachPuzzle(const std::vector<std::string>& files, const char* refusedLine,
                   const std::function<void(const Puzzle&)>& take);

// Where a puzzle is, for messages: "file:line:column", "file:line" or "file".
std::string PuzzlePlace(const Puzzle& puzzle);

// Splits the whole content of one input into puzzles.
std::vector<Puzzle> ParsePuzzles(const std::string& source, const std::vector<uint8_t>& content);
