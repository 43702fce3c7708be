#include "solver/search.h"

#include <gtest/gtest.h>

#include "solver/board.h"
#include "solver/worker.h"
#include "tests/fake_window.h"
#include "tests/test_support.h"

namespace {

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeWindow();
    board.searchStopped.store(1);
    board.showProgress.store(0);
  }
  void TearDown() override { board.showProgress.store(1); }

  // One start of the search as the menu makes it; the line it shows.
  std::string Start() {
    StartSearch(nullptr);
    WaitForWorker(nullptr);
    for (const RecordedCall& call : RecordedCalls()) {
      if (call.call != WindowCall::kResultMessage) continue;
      ResetFakeWindow();
      if (call.a == static_cast<int>(ResultMessage::kNoSolution)) return "none";
      return "conflict " + std::to_string(board.conflictAt.x) + " " +
             std::to_string(board.conflictAt.y) + " " + std::to_string(board.conflictOther.x) +
             " " + std::to_string(board.conflictOther.y);
    }
    ResetFakeWindow();
    return LayerLine(board.shown);
  }
};

// Every corpus line is checked on its own first: boards complete the clues
// and come in strictly ascending reading order. Then the search must show
// exactly those lines, start after start.
TEST_F(SearchTest, CorpusOutcomesStartAfterStart) {
  const std::vector<CorpusCase> corpus = LoadCorpus();
  ASSERT_GE(corpus.size(), 10u);
  for (const CorpusCase& entry : corpus) {
    SCOPED_TRACE(entry.title);
    std::vector<int> previous;
    for (const std::string& line : entry.expected) {
      if (line == "none" || line.rfind("conflict", 0) == 0) continue;
      const std::vector<int> cells = LineDigits(line);
      ASSERT_TRUE(IsSolutionOf(entry.puzzle, cells)) << line;
      ASSERT_TRUE(previous.empty() || previous < cells);
      previous = cells;
    }
    LoadBoard(entry.puzzle);
    for (const std::string& line : entry.expected) EXPECT_EQ(Start(), line);
  }
}

TEST_F(SearchTest, NoSolutionLeavesOnlyTheCluesAndStartsAfresh) {
  const std::string unique =
      "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
  LoadBoard(unique);
  const std::string first = Start();
  EXPECT_EQ(board.solutionShown, 1);
  EXPECT_EQ(Start(), "none");
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_EQ(board.shown[1][0], 0) << "only the clues are left";
  EXPECT_EQ(board.shown[0][0], 4);
  EXPECT_EQ(Start(), first) << "after 'none' the next start is a fresh one";
}

TEST_F(SearchTest, AFullBoardIsItsOwnSolutionOnce) {
  board.searchStopped.store(1);
  board.gridSize = 9;
  ResetBoard(nullptr);
  const std::string full =
      "417369825632158947958724316825437169791586432346912758289643571573291684164875293";
  LoadBoard(full);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) board.eliminated[x][y][board.fixed[x][y]] = 1;
  }
  board.solutionShown = 0;
  board.searchStopped.store(0);
  EXPECT_EQ(SearchFrom(nullptr, 0, 0), kSearchFound);
  EXPECT_EQ(board.solutionShown, 1);
  EXPECT_EQ(SearchFrom(nullptr, 0, 0), kSearchFailed);
  EXPECT_EQ(board.solutionShown, 0);
  board.searchStopped.store(1);
}

TEST_F(SearchTest, ProgressDrawsTrialDigitsFromTheWorkerAndNothingWithoutIt) {
  const std::string empty(81, '.');
  for (int progress : {1, 0}) {
    SCOPED_TRACE(progress);
    board.showProgress.store(progress);
    LoadBoard(empty);
    ResetFakeWindow();
    StartSearch(nullptr);
    WaitForWorker(nullptr);
    int drawn = 0;
    for (const RecordedCall& call : RecordedCalls()) {
      if (call.call != WindowCall::kDrawProgressCell) continue;
      ++drawn;
      EXPECT_TRUE(call.onWorker);
    }
    EXPECT_EQ(drawn >= 81, progress == 1) << drawn << " digits drawn";
    EXPECT_EQ(LayerLine(board.shown).substr(0, 17), "1 2 3 4 5 6 7 8 9");
  }
}

TEST_F(SearchTest, AStopBeforeTheSearchLeavesTheBoardAsItIs) {
  LoadBoard(std::string(81, '.'));
  board.searchStopped.store(1);
  board.solutionShown = 0;
  EXPECT_EQ(SearchFrom(nullptr, 0, 0), kSearchStopped);
  EXPECT_EQ(board.shown[0][0], 0);
  EXPECT_EQ(board.solutionShown, 0);
}

}  // namespace
