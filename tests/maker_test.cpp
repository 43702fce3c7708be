// The maker's explanation against the solve itself: each step of --explain
// replayed on the board with the program's own placement and elimination
// must leave exactly what Propagate leaves, and each step's reason must hold
// at the moment it is taken.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "file/input_data.h"
#include "file/puzzle_text.h"
#include "maker/explain.h"
#include "solver/board.h"
#include "solver/candidates.h"
#include "solver/propagate.h"

namespace {

struct Snapshot {
  std::vector<int> fixed;
  std::vector<int> eliminated;
};

Snapshot Take() {
  Snapshot s;
  const int n = board.gridSize;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      s.fixed.push_back(board.fixed[x][y]);
      for (int v = 1; v <= n; ++v) s.eliminated.push_back(board.eliminated[x][y][v]);
    }
  }
  return s;
}

// "4..6,8" into 4, 5, 6, 8.
std::vector<int> Numbers(const std::string& text) {
  std::vector<int> numbers;
  std::stringstream parts(text);
  for (std::string part; std::getline(parts, part, ',');) {
    const size_t dots = part.find("..");
    const int first = std::stoi(part.substr(0, dots));
    const int last = dots == std::string::npos ? first : std::stoi(part.substr(dots + 2));
    for (int i = first; i <= last; ++i) numbers.push_back(i);
  }
  return numbers;
}

// "r2c4..6,r3c5" or "r2,5..7c3" into cells, 0-based (x, y).
std::vector<CellPos> Cells(const std::string& text) {
  std::vector<CellPos> cells;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(",r", at);
    if (end == std::string::npos) end = text.size();
    const std::string group = text.substr(at, end - at);
    const size_t c = group.find('c');
    for (int row : Numbers(group.substr(1, c - 1))) {
      for (int column : Numbers(group.substr(c + 1))) cells.push_back({column - 1, row - 1});
    }
    at = end + 1;
  }
  return cells;
}

int Places(int unitKind, int unit, int v, std::vector<CellPos>* where) {
  const int n = board.gridSize, nb = board.boxSize;
  for (int i = 0; i < n; ++i) {
    const CellPos cell = unitKind == 0 ? CellPos{i, unit}
                         : unitKind == 1
                             ? CellPos{unit, i}
                             : CellPos{unit % nb * nb + i % nb, unit / nb * nb + i / nb};
    if (board.eliminated[cell.x][cell.y][v] == 0) where->push_back(cell);
  }
  return static_cast<int>(where->size());
}

// The unit a step names ("row 3", "column 5", "box 2") as kind and index.
void UnitOf(const std::string& reason, int* kind, int* unit) {
  std::stringstream words(reason);
  std::string word, name;
  while (words >> word) {
    if (word == "row" || word == "column" || word == "box") name = word;
  }
  *kind = name == "row" ? 0 : (name == "column" ? 1 : 2);
  *unit = std::stoi(reason.substr(reason.rfind(' ') + 1)) - 1;
}

// Replays one line on the board; false, with the reason, when it does not
// parse or its reason does not hold.
::testing::AssertionResult Replay(const std::string& line) {
  const size_t sign =
      line.find(" = ") != std::string::npos ? line.find(" = ") : line.find(" \u2260 ");
  const size_t gap = line.find("  ");
  if (sign == std::string::npos || gap == std::string::npos) {
    return ::testing::AssertionFailure() << "no step: " << line;
  }
  const std::vector<CellPos> cells = Cells(line.substr(0, sign));
  const bool places = line[sign + 1] == '=';
  const size_t digitsAt = sign + (places ? 3 : 5);
  const std::vector<int> digits = Numbers(line.substr(digitsAt, gap - digitsAt));
  const std::string reason = line.substr(gap + 2);
  if (places) {
    const CellPos cell = cells.at(0);
    const int v = digits.at(0);
    int kind = 0, unit = 0;
    std::vector<CellPos> where;
    if (reason == "naked single") {
      for (int d = 1; d <= board.gridSize; ++d) {
        if (board.eliminated[cell.x][cell.y][d] == 0) where.push_back(cell);
      }
    } else {
      UnitOf(reason, &kind, &unit);
      Places(kind, unit, v, &where);
    }
    if (cells.size() != 1 || where.size() != 1 || where[0].x != cell.x || where[0].y != cell.y ||
        board.eliminated[cell.x][cell.y][v] != 0) {
      return ::testing::AssertionFailure() << "not a single: " << line;
    }
    PlaceDigit(nullptr, cell.x, cell.y, v);
    return ::testing::AssertionSuccess();
  }
  for (const CellPos& cell : cells) {
    bool lost = false;
    for (int v : digits) lost = lost || board.eliminated[cell.x][cell.y][v] == 0;
    if (!lost || board.fixed[cell.x][cell.y] != 0) {
      return ::testing::AssertionFailure() << "a cell that loses nothing: " << line;
    }
    for (int v : digits) RuleOut(cell.x, cell.y, v);
  }
  return ::testing::AssertionSuccess();
}

std::vector<std::string> PuzzleLines(const std::string& file) {
  std::ifstream in(std::string(CORVANA_TEST_DATA) + "/" + file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

// Every size and every rule: the graded puzzles (singles to search on all
// three sizes) and the forum's hardest, where the rules stall early.
TEST(MakerTest, ExplainedStepsReplayToThePropagation) {
  std::vector<std::string> puzzles = PuzzleLines("grades.txt");
  const std::vector<std::string> hardest = PuzzleLines("forum_hardest_20.txt");
  puzzles.insert(puzzles.end(), hardest.begin(), hardest.end());
  board.showProgress.store(0);
  int subsets = 0, pointing = 0, claiming = 0, stalled = 0;
  for (const std::string& puzzle : puzzles) {
    InputData data = {};
    bool more = false;
    PuzzleTextError error;
    ASSERT_TRUE(ReadFirstPuzzle(puzzle, &data, &more, &error)) << DescribePuzzleTextError(error);
    std::stringstream text(ExplainText(BoardOf(data)));

    ApplyInputData(nullptr, data);
    Propagate(nullptr);
    const Snapshot solved = Take();

    ApplyInputData(nullptr, data);
    InitCandidates();
    std::string line, last;
    while (std::getline(text, line)) {
      last = line;
      if (line.rfind("search needed: ", 0) == 0) break;
      ASSERT_TRUE(Replay(line)) << puzzle;
      subsets += line.find("naked subset") != std::string::npos;
      pointing += line.find("pointing") != std::string::npos;
      claiming += line.find("claiming") != std::string::npos;
    }
    EXPECT_FALSE(std::getline(text, line)) << "nothing after the search line";
    const Snapshot replayed = Take();
    EXPECT_EQ(replayed.fixed, solved.fixed) << puzzle;
    EXPECT_EQ(replayed.eliminated, solved.eliminated) << puzzle;
    int empty = 0;
    for (int v : solved.fixed) empty += v == 0;
    const std::string searchLine = "search needed: " + std::to_string(empty) + " cells left";
    EXPECT_EQ(last == searchLine, empty > 0) << last;
    stalled += empty > 0;
  }
  EXPECT_GT(subsets, 0);
  EXPECT_GT(pointing, 0);
  EXPECT_GT(claiming, 0);
  EXPECT_GT(stalled, 20);
}

}  // namespace
