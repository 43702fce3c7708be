#include "tests/search_data.h"

#include <fstream>
#include <sstream>
#include <string>

std::vector<std::vector<int>> ReadPuzzles(const std::string& file) {
  std::ifstream in(std::string(CORVANA_TEST_DATA) + "/" + file);
  std::vector<std::vector<int>> puzzles;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream numbers(line);
    std::vector<int> cells;
    int v = 0;
    while (numbers >> v) cells.push_back(v);
    puzzles.push_back(cells);
  }
  return puzzles;
}

std::vector<int> ReadHard(int which) {
  const std::vector<std::vector<int>> lines = ReadPuzzles("search_hard_25x25.txt");
  return which < static_cast<int>(lines.size()) ? lines[which] : std::vector<int>();
}
