// Test puzzles the search tests share.
#pragma once

#include <string>
#include <vector>

// The lines of a file of the test data that are not comments, as numbers
// (one puzzle or board a line, cells in reading order).
std::vector<std::vector<int>> ReadPuzzles(const std::string& file);

// The hard 25x25 puzzle of the test data (which = 0) and its one solution
// (which = 1).
std::vector<int> ReadHard(int which);
