#include "solver/search.h"

#include <gtest/gtest.h>

#include <fstream>

#include "solver/board.h"
#include "solver/engine/engine.h"
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

// The first puzzle of a file in the test data.
std::string FirstPuzzleOf(const std::string& file) {
  std::ifstream in(std::string(CORVANA_TEST_DATA) + "/" + file);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] != '#') return line;
  }
  return "";
}

// A search long enough to be watched shows the digits it holds before the
// answer: search cells only, digits their candidates allow, each drawn only
// when it changed, then the answer in reading order as before. With the
// display off nothing is drawn; with a first delay longer than the search,
// only the answer.
TEST_F(SearchTest, AWatchedSearchShowsItsDigitsBeforeTheAnswer) {
  struct Case {
    int progress;
    double firstSeconds;
    bool searchDigits;
  };
  std::vector<std::string> answers;
  for (const std::string& file :
       {std::string("top44_8.txt"), std::string("forum_hardest_20.txt")}) {
    const std::string puzzle = FirstPuzzleOf(file);
    ASSERT_FALSE(puzzle.empty()) << file;
    for (const Case& run : {Case{1, 0.0, true}, Case{0, 0.0, false}, Case{1, 3600.0, false}}) {
      SCOPED_TRACE(file + ", progress " + std::to_string(run.progress) + ", first after " +
                   std::to_string(run.firstSeconds) + " s");
      SetProgressPace(run.firstSeconds, 0.0);
      board.showProgress.store(run.progress);
      LoadBoard(puzzle);
      ResetFakeWindow();
      ResetSearchSteps();
      StartSearch(nullptr);
      WaitForWorker(nullptr);
      SetProgressPace(0.1, 0.25);
      ASSERT_EQ(board.solutionShown, 1);
      answers.push_back(LayerLine(board.shown));
      const int n = board.gridSize;
      std::vector<RecordedCall> drawn;
      for (const RecordedCall& call : RecordedCalls()) {
        if (call.call == WindowCall::kDrawProgressCell) drawn.push_back(call);
        if (call.call == WindowCall::kDrawCell) {
          EXPECT_EQ(run.progress, 1) << "propagation drew a cell with the display off";
        }
      }
      if (run.progress == 0) {
        EXPECT_TRUE(drawn.empty()) << drawn.size() << " digits drawn with the display off";
        continue;
      }
      // The answer: every search cell, in reading order, with its digit.
      std::vector<CellPos> searchCells;
      for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
          if (board.fixed[x][y] == 0) searchCells.push_back({x, y});
        }
      }
      ASSERT_GT(searchCells.size(), 20u) << "propagation alone solves the board";
      ASSERT_GE(drawn.size(), searchCells.size());
      const size_t answerFrom = drawn.size() - searchCells.size();
      for (size_t i = 0; i < searchCells.size(); ++i) {
        const RecordedCall& call = drawn[answerFrom + i];
        EXPECT_EQ(call.a, searchCells[i].x);
        EXPECT_EQ(call.b, searchCells[i].y);
        EXPECT_EQ(call.digit, board.shown[call.a][call.b]);
      }
      if (!run.searchDigits) {
        EXPECT_EQ(answerFrom, 0u) << "digits drawn before the first delay";
        continue;
      }
      EXPECT_GT(SearchSteps(), 4 * kWatchNodes) << "the search is too short to watch";
      int differ = 0;
      int32_t last[kMaxGridSize][kMaxGridSize] = {};
      for (size_t i = 0; i < answerFrom; ++i) {
        const RecordedCall& call = drawn[i];
        EXPECT_TRUE(call.onWorker);
        ASSERT_TRUE(call.a >= 0 && call.a < n && call.b >= 0 && call.b < n);
        EXPECT_EQ(board.fixed[call.a][call.b], 0) << "a fixed cell drawn as a search digit";
        ASSERT_TRUE(call.digit >= 1 && call.digit <= n);
        EXPECT_EQ(board.eliminated[call.a][call.b][call.digit], 0)
            << "digit " << call.digit << " is no candidate of (" << call.a << ", " << call.b << ")";
        EXPECT_NE(call.digit, last[call.a][call.b]) << "a cell drawn again unchanged";
        last[call.a][call.b] = call.digit;
        differ += call.digit != board.shown[call.a][call.b];
      }
      EXPECT_GT(answerFrom, 0u) << "no search digits before the answer";
      EXPECT_GT(differ, 0) << "the search digits are the answer's";
    }
  }
  // The watch changes nothing of what is found.
  for (size_t i = 0; i < answers.size(); ++i) EXPECT_EQ(answers[i], answers[i / 3 * 3]);
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
