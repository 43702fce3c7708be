#include "solver/board.h"

#include <gtest/gtest.h>

#include "tests/fake_window.h"
#include "tests/test_support.h"

namespace {

// What the process starts with, taken while the test program's statics are
// made, before any test has touched the board.
struct StartState {
  int32_t gridSize, boxSize, boardOffset, solutionShown, searchStopped, showProgress;
  int32_t cursorX, cursorY, conflictX, conflictY;
  bool layersEmpty;
};

StartState TakeStartState() {
  StartState state = {board.gridSize,
                      board.boxSize,
                      board.boardOffset,
                      board.solutionShown,
                      board.searchStopped.load(),
                      board.showProgress.load(),
                      board.cursor.x,
                      board.cursor.y,
                      board.conflictAt.x,
                      board.conflictOther.y,
                      true};
  for (int x = 0; x < kMaxGridSize; ++x) {
    for (int y = 0; y < kMaxGridSize; ++y) {
      state.layersEmpty &= (board.given[x][y] | board.fixed[x][y] | board.shown[x][y]) == 0;
      for (int v = 0; v <= kMaxGridSize; ++v) state.layersEmpty &= board.eliminated[x][y][v] == 0;
    }
  }
  return state;
}

const StartState atStart = TakeStartState();

// Every field starts at 0 but the progress display, which starts on, as the
// check mark of its menu item says.
TEST(BoardStartTest, EveryFieldStartsAtZeroButTheProgressDisplayIsOn) {
  EXPECT_EQ(atStart.showProgress, 1);
  EXPECT_EQ(atStart.gridSize, 0);
  EXPECT_EQ(atStart.boxSize, 0);
  EXPECT_EQ(atStart.boardOffset, 0);
  EXPECT_EQ(atStart.solutionShown, 0);
  EXPECT_EQ(atStart.searchStopped, 0);
  EXPECT_EQ(atStart.cursorX | atStart.cursorY | atStart.conflictX | atStart.conflictY, 0);
  EXPECT_TRUE(atStart.layersEmpty);
}

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeWindow();
    board.searchStopped.store(1);
    board.gridSize = 9;
    ResetBoard(nullptr);
    ResetFakeWindow();
  }
};

struct SizeCase {
  int gridSize;
  int boxSize;
  int offset;
  int checkedCommand;
};

TEST_F(BoardTest, ResetSetsUpEachSizeAndMovesTheCheckMark) {
  for (const SizeCase& size :
       {SizeCase{16, 4, 90, 301}, SizeCase{25, 5, 0, 302}, SizeCase{9, 3, 160, 300}}) {
    SCOPED_TRACE(size.gridSize);
    LoadBoard(Puzzle9({{0, 0, 1}, {0, 1, 2}, {0, 2, 3}, {4, 8, 4}}));
    board.cursor = {3, 4};
    board.prevCursor = {5, 6};
    board.conflictAt = {1, 1};
    board.eliminated[0][0][1] = 1;
    board.solutionShown = 1;
    board.showProgress.store(0);
    ResetFakeWindow();

    board.gridSize = size.gridSize;
    ResetBoard(nullptr);

    EXPECT_EQ(board.boxSize, size.boxSize);
    EXPECT_EQ(board.boardOffset, size.offset);
    EXPECT_EQ(board.cursor.x, 0);
    EXPECT_EQ(board.cursor.y, 0);
    EXPECT_EQ(board.prevCursor.x, 0);
    EXPECT_EQ(board.prevCursor.y, 0);
    EXPECT_EQ(board.conflictAt.x, size.gridSize);
    EXPECT_EQ(board.conflictOther.y, size.gridSize);
    EXPECT_EQ(board.solutionShown, 0);
    EXPECT_EQ(board.eliminated[0][0][1], 1) << "the candidate table is left alone";
    EXPECT_EQ(board.showProgress.load(), 0);
    for (int x = 0; x < size.gridSize; ++x) {
      for (int y = 0; y < size.gridSize; ++y) {
        ASSERT_EQ(board.given[x][y] | board.fixed[x][y] | board.shown[x][y], 0);
      }
    }
    const std::vector<RecordedCall> calls = RecordedCalls();
    ASSERT_EQ(calls.size(), 4u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(calls[i].call, WindowCall::kCheckMenu);
      EXPECT_EQ(calls[i].a, 300 + i);
      EXPECT_EQ(calls[i].b, 300 + i == size.checkedCommand);
    }
    EXPECT_EQ(calls[3].call, WindowCall::kDrawBoard);
  }
  board.showProgress.store(1);
}

TEST_F(BoardTest, SmallerBoardsLeaveOuterCellsUntilTheBigBoardIsReset) {
  board.gridSize = 25;
  ResetBoard(nullptr);
  board.given[24][24] = board.fixed[24][24] = board.shown[24][24] = 7;
  board.gridSize = 9;
  ResetBoard(nullptr);
  EXPECT_EQ(board.shown[24][24], 7);
  board.gridSize = 25;
  ResetBoard(nullptr);
  EXPECT_EQ(board.given[24][24], 0);
  EXPECT_EQ(board.shown[24][24], 0);
}

TEST_F(BoardTest, ClearAllEmptiesEveryCellButKeepsCursorAndConflict) {
  LoadBoard(Puzzle9({{0, 0, 1}, {1, 0, 2}, {0, 1, 3}}));
  board.cursor = {4, 4};
  board.conflictAt = {0, 0};
  board.conflictOther = {1, 0};
  board.solutionShown = 1;
  ResetFakeWindow();
  ClearAll();
  EXPECT_EQ(board.given[0][0], 0);
  EXPECT_EQ(board.shown[1][0], 0);
  EXPECT_EQ(board.cursor.x, 4);
  EXPECT_EQ(board.conflictOther.x, 1);
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_TRUE(RecordedCalls().empty()) << "the callers redraw";
}

TEST_F(BoardTest, ClearWorkingKeepsExactlyTheClues) {
  LoadBoard(Puzzle9({{0, 0, 1}, {1, 0, 2}, {0, 1, 3}}));
  board.fixed[5][5] = board.shown[5][5] = 4;  // proved by propagation
  board.shown[6][6] = 8;                      // placed by the search
  board.solutionShown = 1;
  ClearWorking();
  EXPECT_EQ(board.given[0][0], 1);
  EXPECT_EQ(board.fixed[1][0], 2);
  EXPECT_EQ(board.shown[0][1], 3);
  EXPECT_EQ(board.fixed[5][5], 0);
  EXPECT_EQ(board.shown[5][5], 0);
  EXPECT_EQ(board.shown[6][6], 0);
  EXPECT_EQ(board.solutionShown, 0);
}

}  // namespace
