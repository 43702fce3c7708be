// The menu commands on the real window: new boards, the clears, the progress
// pair, and solving through the start and stop items with their messages
// and the grey state of the start item.
#include <cstring>

#include "solver/board.h"
#include "tests/win/window_fixture.h"
#include "view/canvas.h"

namespace {

using CommandsTest = WindowTest;

// Row y of the shown layer as digits separated by blanks.
std::string Row(int y) {
  std::string row;
  for (int x = 0; x < board.gridSize; ++x) {
    if (x > 0) row += ' ';
    row += std::to_string(board.shown[x][y]);
  }
  return row;
}

// The well-known puzzle with a single solution.
const char kPuzzle[] =
    "530070000600195000098000060800060003400803001700020006060000280000419005000080079";
const char kSolution[] =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

class SolveTest : public WindowTest {
 protected:
  void EnterPuzzle(const char* puzzle) {
    ClickCell(0, 0);
    for (int i = 0; i < 81; ++i) {
      Key(static_cast<UINT>(puzzle[i]));
      Key(VK_RIGHT);
    }
  }
};

TEST_F(CommandsTest, NewBoardsMoveTheCheckMarkAndEmptyTheBoard) {
  const int ids[] = {300, 301, 302};
  const int sizes[] = {9, 16, 25};
  for (int i : {2, 1, 0, 0}) {
    EnterClue(1, 1, 3);
    board.solutionShown = 1;
    Command(ids[i]);
    EXPECT_EQ(board.gridSize, sizes[i]);
    EXPECT_EQ(board.boxSize, sizes[i] == 9 ? 3 : sizes[i] == 16 ? 4 : 5);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(IsChecked(ids[j]), i == j) << ids[j];
    EXPECT_EQ(board.given[1][1], 0);
    EXPECT_EQ(board.shown[1][1], 0);
    EXPECT_EQ(board.solutionShown, 0);
    EXPECT_EQ(board.cursor.x, 0);
    EXPECT_EQ(board.conflictAt.x, sizes[i]);
  }
}

TEST_F(CommandsTest, ClearAllEmptiesEverythingAndClearWorkingKeepsTheClues) {
  EnterClue(0, 0, 1);
  board.fixed[1][0] = board.shown[1][0] = 2;
  board.shown[2][0] = 3;
  Command(201);
  EXPECT_EQ(board.shown[0][0], 1);
  EXPECT_EQ(board.shown[1][0], 0);
  EXPECT_EQ(board.shown[2][0], 0);
  Command(200);
  EXPECT_EQ(board.given[0][0], 0);
  EXPECT_EQ(board.shown[0][0], 0);
}

TEST_F(CommandsTest, ProgressItemsActAsARadioPairWithTheFlag) {
  Command(801);
  EXPECT_FALSE(IsChecked(800));
  EXPECT_TRUE(IsChecked(801));
  EXPECT_EQ(board.showProgress.load(), 0);
  Command(801);
  EXPECT_TRUE(IsChecked(801));
  EXPECT_FALSE(IsChecked(800));
  Command(800);
  EXPECT_TRUE(IsChecked(800));
  EXPECT_FALSE(IsChecked(801));
  EXPECT_EQ(board.showProgress.load(), 1);
}

TEST_F(SolveTest, EmptyBoardSolvesAndEachStartStepsToTheNextSolution) {
  Command(500);
  WaitForSolve();
  const char* first[] = {"1 2 3 4 5 6 7 8 9", "4 5 6 7 8 9 1 2 3", "7 8 9 1 2 3 4 5 6",
                         "2 1 4 3 6 5 8 9 7", "3 6 5 8 9 7 2 1 4", "8 9 7 2 1 4 3 6 5",
                         "5 3 1 6 4 2 9 7 8", "6 4 2 9 7 8 5 3 1", "9 7 8 5 3 1 6 4 2"};
  for (int y = 0; y < 9; ++y) EXPECT_EQ(Row(y), first[y]) << y;
  EXPECT_EQ(board.solutionShown, 1);
  EXPECT_FALSE(IsStartGreyed());
  Command(500);
  WaitForSolve();
  EXPECT_EQ(Row(6), first[6]);
  EXPECT_EQ(Row(7), "6 4 8 9 7 1 5 3 2");
  EXPECT_EQ(Row(8), "9 7 2 5 3 8 6 4 1");
  Command(500);
  WaitForSolve();
  EXPECT_EQ(Row(7), "6 7 2 9 3 8 5 4 1");
  EXPECT_EQ(Row(8), "9 4 8 5 7 1 6 3 2");
  EXPECT_TRUE(watcher_->TakeSeen().empty());
}

TEST_F(SolveTest, UniquePuzzleSolvesOnceThenReportsNoSolutionAndKeepsTheClues) {
  EnterPuzzle(kPuzzle);
  Command(500);
  WaitForSolve();
  for (int i = 0; i < 81; ++i) {
    ASSERT_EQ(board.shown[i % 9][i / 9], kSolution[i] - '0') << i;
  }
  EXPECT_TRUE(watcher_->TakeSeen().empty());
  Command(500);
  WaitForSolve();
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Result");
  EXPECT_EQ(seen[0].text, "正解がありません。");
  EXPECT_EQ(seen[0].owner, window_);
  for (int i = 0; i < 81; ++i) {
    ASSERT_EQ(board.shown[i % 9][i / 9], kPuzzle[i] - '0') << i;
  }
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_FALSE(IsStartGreyed());
}

TEST_F(SolveTest, ClashingCluesShowTheMessageAndStartNoSolve) {
  EnterClue(2, 2, 6);
  EnterClue(2, 7, 6);
  Command(500);
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Result");
  EXPECT_EQ(seen[0].text, "入力ミスがみつかりました。\n解答検索を中断します。");
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_FALSE(IsStartGreyed());
  EXPECT_EQ(board.conflictAt.x, 2);
  EXPECT_EQ(board.conflictAt.y, 2);
  EXPECT_EQ(board.conflictOther.x, 2);
  EXPECT_EQ(board.conflictOther.y, 7);
}

TEST_F(SolveTest, StartGreysTheItemUntilStopEnablesItAgain) {
  NewBoard(25);
  {
    // Holding the canvas keeps the worker at its first drawing step, so the
    // running state can be looked at before the solve could end.
    std::lock_guard<std::recursive_mutex> hold(canvasLock);
    Command(500);
    EXPECT_TRUE(IsStartGreyed());
    EXPECT_EQ(board.searchStopped.load(), 0);
    Key('5');
    EXPECT_EQ(board.given[0][0], 0);  // input is refused while it runs
  }
  Command(501);
  EXPECT_FALSE(IsStartGreyed());
  EXPECT_EQ(board.searchStopped.load(), 1);
  Key('5');
  EXPECT_EQ(board.given[0][0], 5);
}

TEST_F(SolveTest, StopWithNothingRunningOnlyRedraws) {
  EnterClue(4, 4, 8);
  board.fixed[0][0] = board.shown[0][0] = 3;
  Command(501);
  EXPECT_EQ(board.shown[0][0], 3);
  EXPECT_EQ(board.given[4][4], 8);
  EXPECT_FALSE(IsStartGreyed());
}

TEST_F(SolveTest, DigitsOnScreenTakeTheColourOfTheLayerThatHoldsThem) {
  EnterPuzzle(kPuzzle);
  Command(500);
  WaitForSolve();
  int proved = 0;
  for (int i = 0; i < 81; ++i) {
    const int x = i % 9;
    const int y = i / 9;
    const COLORREF colour = board.given[x][y] ? 0x0000FF : board.fixed[x][y] ? 0xFF0000 : 0x000000;
    proved += board.given[x][y] == 0 && board.fixed[x][y] != 0;
    EXPECT_GT(CountInCell(x, y, colour), 3) << x << "," << y;
  }
  // This puzzle yields to singles alone, so propagation proves every digit.
  EXPECT_EQ(proved, 81 - 30);
}

}  // namespace
