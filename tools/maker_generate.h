// corvana-solve --generate: new puzzles one a line on standard output, with a
// line of progress on standard error once a run takes more than a second.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "maker/generate.h"

struct GenerateRun {
  int64_t count;
  uint64_t seed;
  MakeRequest request;
};

// A board as one line of text in the form the reader takes back: 81
// characters for 9x9, the numbers of every row for 16x16 and 25x25.
std::string PuzzleLine(const MakerBoard& board);

// Makes puzzles until run.count of them pass `keep`, and prints those.
void RunGenerate(const GenerateRun& run, const std::function<bool(const MakerBoard&)>& keep);
