#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "file/input_data.h"
#include "file/puzzle_text.h"

namespace {

// The first puzzle of a text into *data; on failure false with *error set.
bool ParsePuzzleLine(const std::string& text, InputData* data, std::string* error) {
  bool more = false;
  PuzzleTextError problem;
  if (ReadFirstPuzzle(text, data, &more, &problem)) return true;
  *error = PuzzleTextErrorReason(problem);
  return false;
}

}  // namespace

void LoadBoard(const std::string& puzzle) {
  InputData data;
  std::string error;
  ASSERT_TRUE(ParsePuzzleLine(puzzle, &data, &error)) << error;
  ApplyInputData(nullptr, data);
}

std::string Puzzle9(std::initializer_list<Clue> clues) {
  std::string line(81, '.');
  for (const Clue& clue : clues) line[clue.y * 9 + clue.x] = static_cast<char>('0' + clue.v);
  return line;
}

std::string LayerLine(const int32_t layer[kMaxGridSize][kMaxGridSize]) {
  std::string line;
  for (int y = 0; y < board.gridSize; ++y) {
    for (int x = 0; x < board.gridSize; ++x) {
      if (!line.empty()) line += ' ';
      line += std::to_string(layer[x][y]);
    }
  }
  return line;
}

std::vector<int> LineDigits(const std::string& line) {
  std::istringstream in(line);
  std::vector<int> digits;
  int v = 0;
  while (in >> v) digits.push_back(v);
  return digits;
}

bool IsSolutionOf(const std::string& puzzle, const std::vector<int>& cells) {
  InputData data;
  std::string error;
  if (!ParsePuzzleLine(puzzle, &data, &error)) return false;
  const int n = data.gridSize;
  const int nb = BoxSizeFor(n);
  if (static_cast<int>(cells.size()) != n * n) return false;
  for (int i = 0; i < n * n; ++i) {
    const int clue = data.given[i % n][i / n];
    if (cells[i] < 1 || cells[i] > n || (clue != 0 && clue != cells[i])) return false;
  }
  for (int unit = 0; unit < n; ++unit) {
    std::vector<bool> inRow(n + 1), inColumn(n + 1), inBox(n + 1);
    for (int k = 0; k < n; ++k) {
      const int row = cells[unit * n + k];
      const int column = cells[k * n + unit];
      const int box = cells[(unit / nb * nb + k / nb) * n + unit % nb * nb + k % nb];
      if (inRow[row] || inColumn[column] || inBox[box]) return false;
      inRow[row] = inColumn[column] = inBox[box] = true;
    }
  }
  return true;
}

std::vector<CorpusCase> LoadCorpus() {
  std::ifstream in(CORVANA_TEST_DATA "/corpus.txt");
  std::vector<CorpusCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("= ", 0) != 0) continue;
    CorpusCase entry;
    entry.title = line.substr(2);
    std::getline(in, entry.puzzle);
    while (std::getline(in, line) && !line.empty()) entry.expected.push_back(line);
    cases.push_back(entry);
  }
  return cases;
}
