// Reading the puzzles of corvana-solve's input: an input-data file, or text
// with one puzzle a line. Each puzzle comes out whole or with the reason it
// was refused, so one bad line never hides the others.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file/input_data.h"

struct Puzzle {
  std::string source;  // file name as given, "-" for standard input
  int line;            // 1-based line of a text puzzle, 0 for an input-data file
  bool valid;
  std::string error;  // why the puzzle was refused, when !valid
  InputData data;
};

// Splits the whole content of one input into puzzles.
std::vector<Puzzle> ParsePuzzles(const std::string& source, const std::vector<uint8_t>& content);

// Parses one text line into *data; on failure returns false with *error set.
bool ParsePuzzleLine(const std::string& line, InputData* data, std::string* error);

// True when the content is an input-data file rather than text.
bool LooksLikeInputData(const std::vector<uint8_t>& content);
