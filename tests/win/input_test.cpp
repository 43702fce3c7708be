// Cell selection and digit entry as a user makes them: arrow and digit keys,
// left clicks on the edges of the board, and the digit pop-up of a right click.
#include "solver/board.h"
#include "tests/win/window_fixture.h"

namespace {

using InputTest = WindowTest;

void ExpectCursor(int x, int y) {
  EXPECT_EQ(board.cursor.x, x);
  EXPECT_EQ(board.cursor.y, y);
}

void ExpectCell(int x, int y, int digit) {
  EXPECT_EQ(board.given[x][y], digit) << x << "," << y;
  EXPECT_EQ(board.fixed[x][y], digit) << x << "," << y;
  EXPECT_EQ(board.shown[x][y], digit) << x << "," << y;
}

TEST_F(InputTest, ArrowsWalkInReadingOrderAndWrapAtTheEnds) {
  for (int n : {9, 16, 25}) {
    NewBoard(n);
    SCOPED_TRACE(n);
    Key(VK_LEFT);
    ExpectCursor(n - 1, n - 1);
    Key(VK_RIGHT);
    ExpectCursor(0, 0);
    ClickCell(n - 1, 2);
    Key(VK_RIGHT);
    ExpectCursor(0, 3);
    Key(VK_LEFT);
    ExpectCursor(n - 1, 2);
    ClickCell(4, n - 1);
    Key(VK_DOWN);
    ExpectCursor(4, 0);
    Key(VK_UP);
    ExpectCursor(4, n - 1);
    EXPECT_EQ(board.prevCursor.x, 4);
    EXPECT_EQ(board.prevCursor.y, 0);
  }
}

TEST_F(InputTest, DigitKeysBuildTwoDigitNumbersWhereTheBoardAllowsIt) {
  NewBoard(9);
  Keys("12");
  ExpectCell(0, 0, 2);
  Key('0');
  ExpectCell(0, 0, 0);
  Key(VK_NUMPAD7);
  ExpectCell(0, 0, 7);

  NewBoard(16);
  Keys("16");
  ExpectCell(0, 0, 16);
  Key(' ');
  Keys("17");
  ExpectCell(0, 0, 7);
  Key(' ');
  Keys("10");
  ExpectCell(0, 0, 10);

  NewBoard(25);
  Keys("25");
  ExpectCell(0, 0, 25);
  Key('3');
  ExpectCell(0, 0, 3);  // 53 > 25
  Key('0');
  ExpectCell(0, 0, 0);  // 30 > 25
  Key(VK_NUMPAD2);
  Key(VK_NUMPAD1);
  ExpectCell(0, 0, 21);
}

TEST_F(InputTest, KeysClearTheConflictMarksAndTheResumeState) {
  NewBoard(9);
  board.conflictAt = {1, 1};
  board.conflictOther = {2, 2};
  board.solutionShown = 1;
  Key('5');
  EXPECT_EQ(board.conflictAt.x, 9);
  EXPECT_EQ(board.conflictOther.y, 9);
  EXPECT_EQ(board.solutionShown, 0);
  board.conflictAt = {1, 1};
  board.solutionShown = 1;
  Key(' ');
  ExpectCell(0, 0, 0);
  EXPECT_EQ(board.conflictAt.x, 9);
  EXPECT_EQ(board.solutionShown, 0);
}

TEST_F(InputTest, OtherKeysOnlyRedrawAndDigitsNeedASelectedCell) {
  NewBoard(9);
  Key('4');
  Key('A');
  Key(VK_F2);
  ExpectCell(0, 0, 4);
  ExpectCursor(0, 0);
  LeftClick(5, 5);  // off the board: nothing selected
  ExpectCursor(kNoCell, kNoCell);
  Key('7');
  Key(' ');
  ExpectCell(0, 0, 4);
  for (int x = 0; x < 9; ++x) {
    for (int y = 0; y < 9; ++y) {
      if (x != 0 || y != 0) ExpectCell(x, y, 0);
    }
  }
  Key(VK_RIGHT);  // with no cell selected, an arrow selects the first cell
  ExpectCursor(0, 0);
}

TEST_F(InputTest, ClicksSelectCellsUpToTheLastPixelOfTheBoard) {
  for (int n : {9, 16, 25}) {
    NewBoard(n);
    SCOPED_TRACE(n);
    const int off = board.boardOffset;
    LeftClick(off + 10, off + 10);
    ExpectCursor(0, 0);
    LeftClick(off + 9 + 20 * n, off + 9 + 20 * n);
    ExpectCursor(n - 1, n - 1);
    LeftClick(off + 29, off + 30);
    ExpectCursor(0, 1);
    LeftClick(off + 10 + 20 * n, off + 50);
    ExpectCursor(kNoCell, kNoCell);
    LeftClick(off + 50, off + 50);
    LeftClick(off + 50, off + 9);
    ExpectCursor(kNoCell, kNoCell);
  }
}

TEST_F(InputTest, InputIsIgnoredWhileASolveRuns) {
  NewBoard(9);
  EnterClue(3, 3, 3);
  board.searchStopped.store(0);  // as while a worker runs
  const COLORREF before = Pixel(180, 180);
  Key(VK_RIGHT);
  Key('5');
  LeftClick(250, 250);
  RightClick(250, 250);
  board.searchStopped.store(1);
  ExpectCursor(3, 3);
  ExpectCell(3, 3, 3);
  EXPECT_EQ(Pixel(180, 180), before);
  EXPECT_TRUE(watcher_->TakeSeen().empty());  // no pop-up opened
}

TEST_F(InputTest, PopupGroupsTheDigitsByBoxSizeWithFullWidthFigures) {
  struct Expected {
    int n;
    std::vector<std::string> labels;
  };
  const Expected sizes[] = {
      {9, {" 1- 3", " 4- 6", " 7- 9"}},
      {16, {" 1- 4", " 5- 8", " 9-12", "13-16"}},
      {25, {" 1- 5", " 6-10", "11-15", "16-20", "21-25"}},
  };
  const char* const figures[] = {"１",   "２",   "３",   "４",   "５",   "６",   "７",
                                 "８",   "９",   "１０", "１１", "１２", "１３", "１４",
                                 "１５", "１６", "１７", "１８", "１９", "２０", "２１",
                                 "２２", "２３", "２４", "２５"};
  for (const Expected& size : sizes) {
    NewBoard(size.n);
    SCOPED_TRACE(size.n);
    watcher_->Queue(DismissMenu());
    const POINT p = CellCentre(2, 1);
    RightClick(p.x, p.y);
    const auto seen = watcher_->TakeSeen();
    ASSERT_EQ(seen.size(), 1u);
    ASSERT_TRUE(seen[0].isMenu);
    EXPECT_EQ(seen[0].labels, size.labels);
    int d = 1;
    for (const auto& group : seen[0].groups) {
      for (const auto& [text, id] : group) {
        EXPECT_EQ(text, figures[d - 1]);
        EXPECT_EQ(id, static_cast<UINT>(700 + d));
        ++d;
      }
    }
    EXPECT_EQ(d, size.n + 1);
    ASSERT_EQ(seen[0].items.size(), 2u);  // separator, then "Cancel"
    EXPECT_EQ(seen[0].items[1].first, "Cancel");
    EXPECT_EQ(seen[0].items[1].second, 600u);
    ExpectCursor(2, 1);  // selected even though the menu was dismissed
  }
}

TEST_F(InputTest, PopupEntersTheChosenDigitAndCancelEmptiesTheCell) {
  NewBoard(16);
  board.conflictAt = {4, 4};
  watcher_->Queue(PickDigit(14));
  const POINT p = CellCentre(5, 6);
  RightClick(p.x, p.y);
  PumpMessages();  // the choice arrives as WM_COMMAND after the menu closes
  ExpectCell(5, 6, 14);
  EXPECT_EQ(board.conflictAt.x, 4);  // the pop-up does not touch the marks

  watcher_->Queue(PickMenuCancel());
  RightClick(p.x, p.y);
  PumpMessages();
  ExpectCell(5, 6, 0);
}

TEST_F(InputTest, RightClickOffTheBoardOpensNoMenuAndKeepsTheSelection) {
  NewBoard(9);
  ClickCell(3, 4);
  RightClick(20, 20);
  EXPECT_TRUE(watcher_->TakeSeen().empty());
  ExpectCursor(3, 4);
}

TEST_F(InputTest, DigitCommandsNeedASelectedCellAndCancelAlwaysStops) {
  NewBoard(9);
  LeftClick(5, 5);
  Command(705);
  for (int x = 0; x < 9; ++x) {
    for (int y = 0; y < 9; ++y) ExpectCell(x, y, 0);
  }
  board.searchStopped.store(0);
  Command(600);
  EXPECT_EQ(board.searchStopped.load(), 1);
  ClickCell(8, 8);
  Command(709);
  ExpectCell(8, 8, 9);
  Command(600);
  ExpectCell(8, 8, 0);
}

}  // namespace
