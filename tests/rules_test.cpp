#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "solver/board.h"
#include "solver/candidates.h"
#include "solver/propagate.h"
#include "solver/subsets.h"
#include "solver/worker.h"
#include "tests/fake_window.h"
#include "tests/test_support.h"

namespace {

class RulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeWindow();
    board.searchStopped.store(1);
    board.showProgress.store(1);
    board.gridSize = 9;
    ResetBoard(nullptr);
    InitCandidates();
  }

  // Rules out every candidate of (x, y) but `digits`, which it must still hold.
  void SetCandidates(int x, int y, std::initializer_list<int> digits) {
    for (int v : digits) ASSERT_EQ(board.eliminated[x][y][v], 0) << x << "," << y << ": " << v;
    for (int v = 1; v <= board.gridSize; ++v) {
      if (std::find(digits.begin(), digits.end(), v) == digits.end()) RuleOut(x, y, v);
    }
  }
  int Candidates(int x, int y) {
    int count = 0;
    for (int v = 1; v <= board.gridSize; ++v) count += board.eliminated[x][y][v] == 0;
    return count;
  }
};

TEST_F(RulesTest, CandidatesOfAnEmptyBoardAndOfOneClue) {
  for (int n : {9, 16, 25}) {
    board.gridSize = n;
    ResetBoard(nullptr);
    InitCandidates();
    EXPECT_EQ(Candidates(0, 0), n);
    EXPECT_EQ(Candidates(n - 1, n - 1), n);
  }
  board.gridSize = 9;
  ResetBoard(nullptr);
  board.fixed[4][4] = 5;
  InitCandidates();
  EXPECT_EQ(Candidates(4, 4), 0);
  for (int k = 0; k < 9; ++k) {
    if (k == 4) continue;
    EXPECT_EQ(board.eliminated[k][4][5], 1);
    EXPECT_EQ(board.eliminated[4][k][5], 1);
    EXPECT_EQ(Candidates(k, 4), 8);
  }
  EXPECT_EQ(Candidates(3, 3), 8);
  EXPECT_EQ(Candidates(5, 5), 8);
  EXPECT_EQ(Candidates(0, 0), 9);
  EXPECT_EQ(Candidates(2, 3), 9);
}

TEST_F(RulesTest, ClashingCluesAndFullPeersJustLeaveNoCandidates) {
  board.fixed[0][2] = 6;
  board.fixed[7][2] = 6;
  for (int v = 1; v <= 8; ++v) board.fixed[v][8] = v;  // row 8 holds 1..8
  board.fixed[0][0] = 9;                               // column 0 holds 9
  InitCandidates();
  EXPECT_EQ(Candidates(0, 2), 0);
  EXPECT_EQ(Candidates(7, 2), 0);
  EXPECT_EQ(board.eliminated[4][2][6], 1);
  EXPECT_EQ(Candidates(0, 8), 0) << "row 8 and column 0 leave (0, 8) nothing";
}

TEST_F(RulesTest, PlaceDigitRulesOutPeersAndDrawsOnlyWithProgress) {
  for (int progress : {1, 0}) {
    SCOPED_TRACE(progress);
    ResetBoard(nullptr);
    board.showProgress.store(progress);
    InitCandidates();
    ResetFakeWindow();
    EXPECT_TRUE(PlaceDigit(nullptr, 2, 7, 4));
    EXPECT_EQ(board.fixed[2][7], 4);
    EXPECT_EQ(board.shown[2][7], 4);
    EXPECT_EQ(board.given[2][7], 0);
    EXPECT_EQ(Candidates(2, 7), 0);
    EXPECT_EQ(board.eliminated[8][7][4], 1);
    EXPECT_EQ(board.eliminated[2][0][4], 1);
    EXPECT_EQ(board.eliminated[0][6][4], 1);
    EXPECT_EQ(board.eliminated[3][6][4], 0);
    EXPECT_EQ(CountCalls(WindowCall::kDrawCell), progress);
    ClearWorking();
    EXPECT_EQ(board.shown[2][7], 0) << "a placed digit is not a clue";
  }
  board.showProgress.store(1);
}

TEST_F(RulesTest, NakedPairLeavesTheRestOfItsRow) {
  PlaceDigit(nullptr, 0, 3, 1);
  PlaceDigit(nullptr, 1, 3, 3);
  PlaceDigit(nullptr, 2, 3, 4);  // three filled cells
  for (int x = 3; x < 9; ++x) SetCandidates(x, 3, {2, 5, 6, 7, 8, 9});
  SetCandidates(4, 3, {2, 7});
  SetCandidates(8, 3, {2, 7});
  CellSubsetCheck(4, 3);
  for (int x : {3, 5, 6, 7}) {
    EXPECT_EQ(board.eliminated[x][3][2], 1);
    EXPECT_EQ(board.eliminated[x][3][7], 1);
    EXPECT_EQ(Candidates(x, 3), 4);
  }
  EXPECT_EQ(Candidates(8, 3), 2);
  EXPECT_EQ(Candidates(4, 3), 2);
}

TEST_F(RulesTest, SubsetRuleHoldsBackWhereItMust) {
  // Three cells sharing three candidates on 9x9: never a reference.
  for (int x : {0, 1, 2}) SetCandidates(x, 1, {1, 2, 3});
  CellSubsetCheck(0, 1);
  EXPECT_EQ(Candidates(5, 1), 9);

  // A subset cell {2, 7} and a cell {2} do not match.
  SetCandidates(0, 2, {2, 7});
  SetCandidates(1, 2, {2});
  CellSubsetCheck(0, 2);
  EXPECT_EQ(Candidates(5, 2), 9);

  // Three cells with the same pair: too many matches, nothing happens.
  for (int x : {0, 3, 6}) SetCandidates(x, 4, {2, 7});
  CellSubsetCheck(0, 4);
  EXPECT_EQ(Candidates(8, 4), 9);

  // Two filled cells and a pair: the filled count equals the pair size.
  PlaceDigit(nullptr, 0, 0, 1);
  PlaceDigit(nullptr, 1, 0, 3);
  for (int x = 2; x < 9; ++x) SetCandidates(x, 0, {2, 4, 5, 6, 7, 8, 9});
  SetCandidates(4, 0, {2, 7});
  SetCandidates(8, 0, {2, 7});
  CellSubsetCheck(4, 0);
  EXPECT_EQ(Candidates(2, 0), 7);
}

TEST_F(RulesTest, FourCellsSharingFourCandidatesRuleThemOut) {
  for (int y : {0, 2, 5, 8}) SetCandidates(6, y, {1, 4, 6, 9});
  CellSubsetCheck(6, 2);
  for (int y : {1, 3, 4, 6, 7}) EXPECT_EQ(Candidates(6, y), 5);
  EXPECT_EQ(Candidates(6, 8), 4);
}

TEST_F(RulesTest, EmptyBoardPropagatesToNothing) {
  for (int n : {9, 16, 25}) {
    board.gridSize = n;
    ResetBoard(nullptr);
    ResetFakeWindow();
    Propagate(nullptr);
    EXPECT_EQ(Candidates(n / 2, n / 2), n);
    EXPECT_EQ(CountCalls(WindowCall::kDrawCell), 0);
  }
}

// Propagation may only remove what no solution uses: on puzzles with a known
// unique solution every fixed digit is the solution's and the solution's digit
// stays a candidate of every open cell. Progress drawing changes nothing.
TEST_F(RulesTest, PropagationIsSoundAndIndependentOfTheProgressDisplay) {
  std::vector<std::string> puzzles;
  std::ifstream in(CORVANA_TEST_DATA "/forum_hardest_20.txt");
  std::string line;
  while (std::getline(in, line)) puzzles.push_back(line);
  for (const CorpusCase& entry : LoadCorpus()) {
    if (entry.expected.size() == 2 && entry.expected[1] == "none") puzzles.push_back(entry.puzzle);
  }
  ASSERT_GE(puzzles.size(), 23u);
  for (const std::string& puzzle : puzzles) {
    SCOPED_TRACE(puzzle.substr(0, 40));
    LoadBoard(puzzle);
    StartSearch(nullptr);
    WaitForWorker(nullptr);
    const std::vector<int> solution = LineDigits(LayerLine(board.shown));
    ASSERT_TRUE(IsSolutionOf(puzzle, solution));
    const int n = board.gridSize;
    std::string fixedWithProgress;
    for (int progress : {1, 0}) {
      board.showProgress.store(progress);
      LoadBoard(puzzle);
      Propagate(nullptr);
      for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
          const int digit = solution[y * n + x];
          if (board.fixed[x][y] != 0) {
            ASSERT_EQ(board.fixed[x][y], digit) << x << "," << y;
          } else {
            ASSERT_EQ(board.eliminated[x][y][digit], 0) << x << "," << y;
          }
        }
      }
      if (progress == 1) fixedWithProgress = LayerLine(board.fixed);
      EXPECT_EQ(LayerLine(board.fixed), fixedWithProgress);
    }
    board.showProgress.store(1);
  }
}

TEST_F(RulesTest, PropagationSolvesAnEasyPuzzleWholly) {
  // top95 #1 falls to the logic alone: no search step is needed.
  LoadBoard("4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......");
  ResetFakeWindow();
  Propagate(nullptr);
  EXPECT_EQ(LayerLine(board.fixed),
            "4 1 7 3 6 9 8 2 5 6 3 2 1 5 8 9 4 7 9 5 8 7 2 4 3 1 6 8 2 5 4 3 7 1 6 9 7 9 1 5 8 6 "
            "4 3 2 3 4 6 9 1 2 7 5 8 2 8 9 6 4 3 5 7 1 5 7 3 2 9 1 6 8 4 1 6 4 8 7 5 2 9 3");
  EXPECT_EQ(CountCalls(WindowCall::kDrawCell), 81 - 17);
}

}  // namespace
