// Canvas pixels of the drawn board for the three sizes: grid lines and their
// doubled box edges, cell squares and their colours, digit colours, and the
// light-blue background of the client area.
#include "solver/board.h"
#include "solver/window_hooks.h"
#include "tests/win/window_fixture.h"

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kLightBlue = 0xFFDFDF;
constexpr COLORREF kGrey = 0xD5D5D5;
constexpr COLORREF kPink = 0xD5D5FF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;

struct Size {
  int n;
  int box;
  int off;
};
constexpr Size kSizes[] = {{9, 3, 160}, {16, 4, 90}, {25, 5, 0}};

using DrawingTest = WindowTest;

TEST_F(DrawingTest, GridLinesLieEvery20PixelsAndBoxEdgesAreDoubled) {
  for (const Size& size : kSizes) {
    NewBoard(size.n);
    SCOPED_TRACE(size.n);
    ASSERT_EQ(board.boardOffset, size.off);
    const int first = size.off + 10;
    const int last = first + 20 * size.n;
    const int middle = first + 15;  // inside the first cell, off every line
    for (int k = 0; k <= size.n; ++k) {
      const int at = first + 20 * k;
      EXPECT_EQ(Pixel(at, middle), kBlack) << "vertical line " << k;
      EXPECT_EQ(Pixel(middle, at), kBlack) << "horizontal line " << k;
      if (k < size.n) {
        EXPECT_EQ(Pixel(at + 1, first + 35), k % size.box == 0 ? kBlack : kWhite) << k;
        EXPECT_EQ(Pixel(first + 35, at + 1), k % size.box == 0 ? kBlack : kWhite) << k;
      }
    }
    // The horizontal lines stop one pixel short of the right edge line's end;
    // the second vertical line of the right edge runs one pixel further down.
    EXPECT_EQ(Pixel(last - 1, last), kBlack);
    EXPECT_EQ(Pixel(last, last - 1), kBlack);
    EXPECT_EQ(Pixel(last + 1, last), kBlack);
    EXPECT_NE(Pixel(last + 1, last + 1), kBlack);
    EXPECT_NE(Pixel(last, last + 1), kBlack);
    EXPECT_NE(Pixel(last + 2, middle), kBlack);
    EXPECT_NE(Pixel(first - 1, middle), kBlack);
  }
}

TEST_F(DrawingTest, CellSquaresNeverCoverALineAndTheCursorIsGrey) {
  NewBoard(9);
  // Cell (0, 0) is the cursor: grey from (172, 172) to (189, 189).
  EXPECT_EQ(Pixel(172, 172), kGrey);
  EXPECT_EQ(Pixel(189, 189), kGrey);
  EXPECT_EQ(Pixel(171, 180), kBlack);
  EXPECT_EQ(Pixel(190, 180), kBlack);
  ClickCell(1, 1);
  EXPECT_EQ(Pixel(172, 172), kWhite);
  EXPECT_EQ(Pixel(191, 191), kGrey);
  EXPECT_EQ(Pixel(209, 209), kGrey);
  EXPECT_EQ(Pixel(190, 191), kBlack);
  EXPECT_EQ(Pixel(210, 209), kBlack);

  NewBoard(25);
  ClickCell(24, 24);
  EXPECT_EQ(Pixel(491, 491), kGrey);
  EXPECT_EQ(Pixel(509, 509), kGrey);
  EXPECT_EQ(Pixel(510, 509), kBlack);
  EXPECT_EQ(Pixel(511, 509), kBlack);
}

TEST_F(DrawingTest, ClientAreaHasALightBlueFrameAndHatchOutsideTheBoard) {
  NewBoard(9);
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(Pixel(0, 0), kLightBlue);
  EXPECT_EQ(Pixel(client.right - 1, 50), kLightBlue);
  EXPECT_EQ(Pixel(50, client.bottom - 1), kLightBlue);
  EXPECT_EQ(Pixel(0, client.bottom - 1), kLightBlue);
  // The cross-hatch: some light-blue lines and white between them.
  int blue = 0;
  int white = 0;
  for (int x = 1; x < 40; ++x) {
    const COLORREF c = Pixel(x, 20);
    blue += c == kLightBlue;
    white += c == kWhite;
  }
  EXPECT_GT(blue, 2);
  EXPECT_GT(white, 20);
  // Outside the client area the canvas stays white.
  EXPECT_EQ(Pixel(client.right + 5, 5), kWhite);
}

TEST_F(DrawingTest, ChangingToASmallerBoardLeavesNothingOfTheBigGrid) {
  NewBoard(25);
  EXPECT_EQ(Pixel(10, 250), kBlack);
  NewBoard(9);
  EXPECT_NE(Pixel(10, 250), kBlack);
  EXPECT_NE(Pixel(510, 250), kBlack);
  EXPECT_NE(Pixel(250, 30), kBlack);
}

TEST_F(DrawingTest, DigitsAreRedForCluesBlueForProvedAndBlackForSearched) {
  for (const Size& size : kSizes) {
    NewBoard(size.n);
    SCOPED_TRACE(size.n);
    board.given[1][0] = board.fixed[1][0] = board.shown[1][0] = size.n;
    board.fixed[2][0] = board.shown[2][0] = 1;
    board.shown[3][0] = 2;
    DrawAllCells(window_);
    EXPECT_GT(CountInCell(1, 0, kRed), 3);
    EXPECT_EQ(CountInCell(1, 0, kBlue) + CountInCell(1, 0, kBlack), 0);
    EXPECT_GT(CountInCell(2, 0, kBlue), 3);
    EXPECT_EQ(CountInCell(2, 0, kRed) + CountInCell(2, 0, kBlack), 0);
    EXPECT_GT(CountInCell(3, 0, kBlack), 3);
    EXPECT_EQ(CountInCell(3, 0, kRed) + CountInCell(3, 0, kBlue), 0);
    // An empty cell is all white square; row 0 and a box's first column are
    // one pixel narrower, beside the doubled box edge.
    const int width = 4 % size.box == 0 ? 18 : 19;
    EXPECT_EQ(CountInCell(4, 0, kWhite), width * 18);
  }
}

TEST_F(DrawingTest, SingleDigitsStandOneCharacterRightOfTheTextOrigin) {
  NewBoard(9);
  EnterClue(1, 1, 7);
  ClickCell(5, 5);
  // " 7": the leading blank leaves the first half of the cell empty.
  int leftHalf = 0;
  int rightHalf = 0;
  for (int y = 193; y < 209; ++y) {
    for (int x = 193; x < 200; ++x) leftHalf += Pixel(x, y) == kRed;
    for (int x = 200; x < 210; ++x) rightHalf += Pixel(x, y) == kRed;
  }
  EXPECT_EQ(leftHalf, 0);
  EXPECT_GT(rightHalf, 3);
}

TEST_F(DrawingTest, ConflictCellsArePinkUnlessTheCursorIsOnOne) {
  NewBoard(9);
  EnterClue(0, 0, 4);
  EnterClue(5, 0, 4);
  ClickCell(5, 0);
  Command(500);
  ASSERT_EQ(watcher_->TakeSeen().size(), 1u);
  EXPECT_GT(CountInCell(0, 0, kPink), 100);
  EXPECT_GT(CountInCell(5, 0, kGrey), 100);  // the cursor wins over the conflict
  EXPECT_EQ(CountInCell(5, 0, kPink), 0);

  // Typing elsewhere forgets the pair but redraws only the cells of the
  // selection, so both keep their pink until the next full redraw.
  ClickCell(8, 8);
  EXPECT_GT(CountInCell(5, 0, kPink), 100);  // redrawn without the selection
  Key('1');
  EXPECT_EQ(board.conflictAt.x, 9);
  EXPECT_GT(CountInCell(0, 0, kPink), 100);
  EXPECT_GT(CountInCell(5, 0, kPink), 100);
  Command(501);
  EXPECT_EQ(CountInCell(0, 0, kPink), 0);
  EXPECT_EQ(CountInCell(5, 0, kPink), 0);
}

TEST_F(DrawingTest, DrawCellOffTheBoardChangesNothing) {
  NewBoard(9);
  const COLORREF before = Pixel(180, 180);
  board.cursor = {kNoCell, kNoCell};
  DrawCell(window_, kNoCell, kNoCell);
  DrawCell(window_, -1, 0);
  DrawCell(window_, 9, 0);
  EXPECT_EQ(Pixel(180, 180), before);
}

TEST_F(DrawingTest, PaintingCopiesTheCanvasIntoTheWindow) {
  NewBoard(16);
  EnterClue(0, 0, 16);
  UpdateWindow(window_);
  HDC dc = GetDC(window_);
  int same = 0;
  const int points[][2] = {{100, 100}, {101, 150}, {111, 111}, {95, 5}, {300, 300}, {421, 421}};
  for (const auto& p : points) same += GetPixel(dc, p[0], p[1]) == Pixel(p[0], p[1]);
  ReleaseDC(window_, dc);
  EXPECT_EQ(same, 6);
}

TEST_F(DrawingTest, ProgressDigitsGoOnTheWindowNotTheCanvas) {
  NewBoard(9);
  UpdateWindow(window_);  // no paint pending that could cover the digit
  board.shown[3][3] = 7;
  DrawProgressCell(window_, 3, 3);
  HDC dc = GetDC(window_);
  int onWindow = 0;
  for (int y = 233; y < 250; ++y) {
    for (int x = 233; x < 250; ++x) onWindow += GetPixel(dc, x, y) == kBlack;
  }
  ReleaseDC(window_, dc);
  EXPECT_GT(onWindow, 3);
  EXPECT_EQ(CountInCell(3, 3, kBlack), 0);
}

}  // namespace
