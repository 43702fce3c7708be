#include "solver/check.h"

#include <gtest/gtest.h>

#include "solver/board.h"
#include "tests/fake_window.h"
#include "tests/test_support.h"

namespace {

class CheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeWindow();
    board.gridSize = 9;
    ResetBoard(nullptr);
  }
  void Fix(int x, int y, int v) { board.fixed[x][y] = v; }
  void ExpectConflict(int ax, int ay, int ox, int oy) {
    EXPECT_EQ(CheckInput(nullptr, 0, 0), 0);
    EXPECT_EQ(board.conflictAt.x, ax);
    EXPECT_EQ(board.conflictAt.y, ay);
    EXPECT_EQ(board.conflictOther.x, ox);
    EXPECT_EQ(board.conflictOther.y, oy);
  }
};

TEST_F(CheckTest, ReportsTheFirstClashInScanAndPeerOrder) {
  Fix(2, 0, 7);
  Fix(6, 0, 7);
  Fix(2, 4, 7);
  ExpectConflict(2, 0, 2, 4);  // column peer i = 4 comes before row peer i = 6
}

TEST_F(CheckTest, FindsAClashInsideABox) {
  Fix(0, 0, 3);
  Fix(1, 1, 3);
  ExpectConflict(0, 0, 1, 1);
}

TEST_F(CheckTest, ReportsALaterClashFromTheEarlierCell) {
  Fix(8, 8, 5);
  Fix(8, 0, 5);
  ExpectConflict(8, 0, 8, 8);
}

TEST_F(CheckTest, ClashesOnSixteenAndTwentyFiveBoards) {
  board.gridSize = 16;
  ResetBoard(nullptr);
  Fix(13, 2, 16);
  Fix(15, 3, 16);  // same 4x4 box, other row and column
  ExpectConflict(13, 2, 15, 3);
  board.gridSize = 25;
  ResetBoard(nullptr);
  Fix(24, 20, 25);
  Fix(24, 24, 25);
  ExpectConflict(24, 20, 24, 24);
}

// A clash in one unit alone, of each kind, on every board side: the pair
// shares only a row, only a column or only a box. A full valid board is clean.
TEST_F(CheckTest, AClashInAnyOneUnitIsFoundAndAFullValidBoardIsClean) {
  for (int size : {9, 16, 25}) {
    board.gridSize = size;
    const int n = BoxSizeFor(size);
    const CellPos others[] = {{n, 0}, {0, n}, {1, 1}};  // row, column, box
    for (const CellPos& other : others) {
      ResetBoard(nullptr);
      Fix(0, 0, size);
      Fix(other.x, other.y, size);
      SCOPED_TRACE(testing::Message()
                   << size << "x" << size << " with (" << other.x << ", " << other.y << ")");
      ExpectConflict(0, 0, other.x, other.y);
    }
    ResetBoard(nullptr);
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) Fix(x, y, (y % n * n + y / n + x) % size + 1);
    }
    EXPECT_EQ(CheckInput(nullptr, 0, 0), 1) << size;
    EXPECT_EQ(board.conflictAt.x, size) << "a clean scan records nothing";
    // The last cell takes its row neighbour's digit, which its column holds
    // higher up: the scan meets that cell first, and the last cell is its
    // partner.
    Fix(size - 1, size - 1, board.fixed[size - 2][size - 1]);
    EXPECT_EQ(CheckInput(nullptr, 0, 0), 0) << size;
    EXPECT_EQ(board.conflictAt.x, size - 1) << size;
    EXPECT_LT(board.conflictAt.y, size - 1) << size;
    EXPECT_EQ(board.conflictOther.x, size - 1) << size;
    EXPECT_EQ(board.conflictOther.y, size - 1) << size;
  }
}

TEST_F(CheckTest, ACleanBoardKeepsAnEarlierPairAndSearchDigitsNeverClash) {
  Fix(0, 0, 3);
  Fix(1, 1, 3);
  ExpectConflict(0, 0, 1, 1);
  board.fixed[1][1] = 0;
  board.shown[1][0] = 3;  // only in shown, as the search writes it
  EXPECT_EQ(CheckInput(nullptr, 0, 0), 1);
  EXPECT_EQ(board.conflictOther.x, 1) << "a clean scan does not clear the marks";
  EXPECT_EQ(board.conflictOther.y, 1);
}

TEST_F(CheckTest, ScanStartsAtTheGivenCell) {
  Fix(0, 0, 3);
  Fix(1, 1, 3);
  EXPECT_EQ(CheckInput(nullptr, 0, 9), 1) << "y == N scans nothing";
  ExpectConflict(0, 0, 1, 1);
  board.conflictAt = {9, 9};
  EXPECT_EQ(CheckInput(nullptr, 2, 0), 0);
  EXPECT_EQ(board.conflictAt.x, 1) << "(1, 1) is scanned and finds (0, 0)";
  EXPECT_EQ(board.conflictAt.y, 1);
  EXPECT_EQ(board.conflictOther.x, 0);
}

}  // namespace
