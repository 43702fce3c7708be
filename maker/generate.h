// Making new puzzles: a random solution grid, filled by the engine from
// random digits, then its clues taken away in random order while the puzzle
// keeps that one solution. Deterministic: a seed gives the same puzzles on
// every build and platform. One call at a time (the engine's memory is
// static).
#pragma once

#include <cstdint>

#include "maker/maker.h"
#include "maker/random.h"

struct MakeRequest {
  int size;        // 9, 16 or 25
  bool minimal;    // on until no clue (or pair of clues) can be taken away
  bool symmetric;  // clues taken away in pairs that a half turn swaps
};

// Without `minimal` the clues go until the first one that the puzzle cannot
// lose; with it every clue is tried once, which leaves none that can go (a
// clue needed once is needed for good: taking others away only lets more
// solutions in). A removal whose proof runs out of the engine's room counts
// as one that cannot go, so the puzzle is unique whatever happens.
MakerBoard MakePuzzle(const MakeRequest& request, MakerRandom* random);
