// Helpers shared by the core's tests: boards from puzzle text and back.
#pragma once

#include <string>
#include <vector>

#include "solver/board.h"

// Starts a board from one puzzle line (corvana-solve's text forms).
void LoadBoard(const std::string& puzzle);

struct Clue {
  int x;
  int y;
  int v;
};

// A 9x9 puzzle line holding just these clues.
std::string Puzzle9(std::initializer_list<Clue> clues);

// A layer in reading order, numbers separated by single spaces.
std::string LayerLine(const int32_t layer[kMaxGridSize][kMaxGridSize]);

// Digits of a line written by LayerLine.
std::vector<int> LineDigits(const std::string& line);

// True when `cells` (reading order) completes the clues of `puzzle` into a
// board where no row, column or box repeats a digit.
bool IsSolutionOf(const std::string& puzzle, const std::vector<int>& cells);

struct CorpusCase {
  std::string title;
  std::string puzzle;
  std::vector<std::string> expected;  // one line per start
};

std::vector<CorpusCase> LoadCorpus();
