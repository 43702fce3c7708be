// The reader of puzzle text: every form at every size, where one puzzle ends
// and the next begins, every refusal with its place, and the copy form read
// back.
#include "file/puzzle_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// top95 #1 and its row 0: 4 . . . . . 8 . 5
const char kTop95[] =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";

TextPuzzle ReadOne(const std::string& text) {
  PuzzleTextCursor cursor;
  TextPuzzle puzzle = {};
  EXPECT_TRUE(NextTextPuzzle(text, &cursor, &puzzle)) << text;
  return puzzle;
}

InputData Board(const std::string& text) {
  const TextPuzzle puzzle = ReadOne(text);
  EXPECT_TRUE(puzzle.valid) << PuzzleTextErrorReason(puzzle.error);
  return puzzle.data;
}

PuzzleTextError Refusal(const std::string& text) {
  const TextPuzzle puzzle = ReadOne(text);
  EXPECT_FALSE(puzzle.valid) << text;
  return puzzle.error;
}

// The clues in reading order, 0 for empty.
std::vector<int> Cells(const InputData& data) {
  std::vector<int> cells;
  for (int y = 0; y < data.gridSize; ++y) {
    for (int x = 0; x < data.gridSize; ++x) cells.push_back(data.given[x][y]);
  }
  return cells;
}

std::vector<int> Top95Cells() {
  std::vector<int> cells;
  for (const char* c = kTop95; *c != '\0'; ++c) cells.push_back(*c == '.' ? 0 : *c - '0');
  return cells;
}

void ExpectError(const PuzzleTextError& error, PuzzleTextProblem problem, int line, int column) {
  EXPECT_EQ(error.problem, problem) << PuzzleTextErrorReason(error);
  EXPECT_EQ(error.line, line) << PuzzleTextErrorReason(error);
  EXPECT_EQ(error.column, column) << PuzzleTextErrorReason(error);
}

TEST(PuzzleTextTest, NineByNineInEveryForm) {
  const std::vector<int> expected = Top95Cells();
  std::string zeros = kTop95;
  for (char& c : zeros) c = c == '.' ? '0' : c;
  const char* const kSimpleSudoku =  // the ".ss" layout
      "4..|...|8.5\n.3.|...|...\n...|7..|...\n---+---+---\n.2.|...|.6.\n....8.|4..\n"
      "...|.1.|...\n---+---+---\n...|6.3|.7.\n5..|2..|...\n1.4|...|...\n";
  const char* const kForum =
      "*-----------*\r\n"
      "| 4 . . | . . . | 8 . 5 |\r\n| . 3 . | . . . | . . . |\r\n| . . . | 7 . . | . . . |\r\n"
      "|=======+=======+=======|\r\n"
      "| . 2 . | . . . | . 6 . |\r\n| . . . | . 8 . | 4 . . |\r\n| . . . | . 1 . | . . . |\r\n"
      "|-------+-------+-------|\r\n"
      "| . . . | 6 . 3 | . 7 . |\r\n| 5 . . | 2 . . | . . . |\r\n| 1 . 4 | . . . | . . . |\r\n"
      "*-----------*\r\n";
  std::string numbers;  // 9 rows of 9 numbers, commas and semicolons mixed in
  for (int i = 0; i < 81; ++i) {
    numbers += std::to_string(expected[i]) + (i % 9 == 8 ? "\n" : i % 2 ? ", " : " ; ");
  }
  for (const std::string& text :
       {std::string(kTop95), zeros, std::string(kSimpleSudoku), std::string(kForum), numbers}) {
    const InputData data = Board(text);
    EXPECT_EQ(data.gridSize, 9) << text;
    EXPECT_EQ(Cells(data), expected) << text;
  }
  EXPECT_EQ(Board(kTop95).given[6][0], 8);  // reading order: (x, y) = (6, 0)
  EXPECT_EQ(Board(kTop95).given[1][1], 3);
}

TEST(PuzzleTextTest, SixteenInNumbersAndInLetters) {
  // Row y holds y+1 at x = y and 16 - y at x = 15 - y: every number 1..16 appears.
  std::string numbers, letters;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int v = x == y ? y + 1 : x == 15 - y ? 16 - y : 0;
      numbers += std::to_string(v) + (x == 15 ? "\n" : " ");
      letters += v == 0   ? (x % 2 ? '.' : '0')
                 : v < 10 ? static_cast<char>('0' + v)
                          : static_cast<char>((y % 2 ? 'a' : 'A') + v - 10);
      if (x % 4 == 3 && x < 15) letters += " | ";
    }
    letters += '\n';
    if (y == 7) letters += "--------+---------+---------+--------\n";
  }
  for (const std::string& text : {numbers, letters}) {
    const InputData data = Board(text);
    ASSERT_EQ(data.gridSize, 16) << text;
    for (int y = 0; y < 16; ++y) {
      EXPECT_EQ(data.given[y][y], y + 1) << text;
      EXPECT_EQ(data.given[15 - y][y], 16 - y) << text;
    }
  }
  // All 256 numbers on one line, as the public sets write them.
  std::string oneLine = numbers;
  for (char& c : oneLine) c = c == '\n' ? ' ' : c;
  EXPECT_EQ(Cells(Board(oneLine)), Cells(Board(numbers)));
}

TEST(PuzzleTextTest, TwentyFiveInNumbersAndInLetters) {
  std::string numbers, letters;
  for (int i = 0; i < 625; ++i) {
    const int v = i % 26;  // 0 then 1..25, over and over
    numbers += std::to_string(v) + (i % 25 == 24 ? "\n" : "\t");
    letters += v == 0 ? '.' : static_cast<char>('A' + v - 1);
  }
  for (const std::string& text : {numbers, letters}) {
    const InputData data = Board(text);
    ASSERT_EQ(data.gridSize, 25) << text.substr(0, 60);
    for (int i = 0; i < 625; ++i) ASSERT_EQ(data.given[i % 25][i / 25], i % 26) << i;
  }
  // Without a letter, the digits of a character line are digits.
  std::string digits(625, '.');
  digits[3] = '7';
  EXPECT_EQ(Board(digits).given[3][0], 7);
}

TEST(PuzzleTextTest, ManyPuzzlesOneAfterAnother) {
  std::string sixteen;
  for (int i = 0; i < 256; ++i) sixteen += i == 0 ? "16" : " 0";
  const std::string text =
      "# a comment\n\n" + std::string(kTop95) + "\n" + sixteen +
      "\n   \n"
      "4..|...|8.5\n.3.|...|...\n...|7..|...\n.2.|...|.6.\n....8.|4..\n"
      "...|.1.|...\n...|6.3|.7.\n5..|2..|...\n1.4|...|...";  // no last line end
  PuzzleTextCursor cursor;
  TextPuzzle puzzle = {};
  std::vector<int> lines, sizes;
  while (NextTextPuzzle(text, &cursor, &puzzle)) {
    ASSERT_TRUE(puzzle.valid) << PuzzleTextErrorReason(puzzle.error);
    lines.push_back(puzzle.line);
    sizes.push_back(puzzle.data.gridSize);
  }
  EXPECT_EQ(lines, (std::vector<int>{3, 4, 6}));
  EXPECT_EQ(sizes, (std::vector<int>{9, 16, 9}));

  InputData data = {};
  bool more = false;
  PuzzleTextError error = {};
  ASSERT_TRUE(ReadFirstPuzzle(text, &data, &more, &error));
  EXPECT_TRUE(more);
  EXPECT_EQ(Cells(data), Top95Cells());
  ASSERT_TRUE(ReadFirstPuzzle(std::string(kTop95) + "\n\n# the end\nSolved in 3 s.\n", &data, &more,
                              &error));
  EXPECT_FALSE(more) << "words after the puzzle are no second puzzle";
  ASSERT_TRUE(
      ReadFirstPuzzle(std::string(kTop95) + "\nnot a puzzle\n" + kTop95, &data, &more, &error));
  EXPECT_TRUE(more);
}

// Rows printed in box-wide groups ("530 070 000") are one row each, at every
// size; rows of numbers that start alike ("13 0 0 7 ...") still read as numbers.
TEST(PuzzleTextTest, RowsInGroups) {
  std::vector<int> sixteen(256, 0);
  sixteen[0] = 13;
  sixteen[3] = 7;
  sixteen[17] = 10;
  struct Case {
    std::string text;
    std::vector<int> cells;
  };
  std::vector<Case> cases(4);
  for (int i = 0; i < 256; ++i) {
    const int v = sixteen[i];
    if (i < 81) {
      cases[0].text += kTop95[i] == '.' ? '0' : kTop95[i];
      cases[1].text += kTop95[i];
    }
    cases[2].text += std::to_string(v) + (i % 16 == 15 ? "\n" : " ");
    cases[3].text += v == 0 ? '0' : v < 10 ? static_cast<char>('0' + v) : 'A' + v - 10;
    const char* after = i % 9 == 8 ? "\n" : i % 3 == 2 ? " " : "";
    if (i < 81) cases[0].text += after, cases[1].text += after;
    cases[3].text += i % 16 == 15 ? "\n" : i % 4 == 3 ? "\t" : "";
  }
  cases[0].cells = cases[1].cells = Top95Cells();
  cases[2].cells = cases[3].cells = sixteen;
  for (const Case& c : cases) EXPECT_EQ(Cells(Board(c.text)), c.cells) << c.text;
}

TEST(PuzzleTextTest, ClashingCluesAreStillAPuzzle) {
  std::string clash(81, '.');
  clash[0] = clash[1] = '5';
  EXPECT_EQ(Board(clash).given[1][0], 5);
}

TEST(PuzzleTextTest, EveryRefusalSaysWhereAndWhy) {
  InputData data = {};
  bool more = false;
  PuzzleTextError error = {};
  EXPECT_FALSE(ReadFirstPuzzle("\n  # only a comment\n\n", &data, &more, &error));
  ExpectError(error, PuzzleTextProblem::kNoPuzzle, 1, 1);

  std::string bad = kTop95;
  bad[40] = '?';
  ExpectError(Refusal("\n" + bad), PuzzleTextProblem::kBadCharacter, 2, 41);
  EXPECT_EQ(Refusal(bad).found, "?");
  // Columns count characters: the 'é' before the fault is one column.
  ExpectError(Refusal("\xC3\xA9" + bad), PuzzleTextProblem::kBadCharacter, 1, 1);
  ExpectError(Refusal("..\xE2\x80\x94"), PuzzleTextProblem::kBadCharacter, 1, 3);
  EXPECT_EQ(Refusal("..\xE2\x80\x94").found, "\xE2\x80\x94");

  ExpectError(Refusal("1, 2, x3, 4"), PuzzleTextProblem::kBadNumber, 1, 7);
  EXPECT_EQ(Refusal("1, 2, x3, 4").found, "x3");

  std::string above = "10";
  for (int i = 1; i < 81; ++i) above += " 0";
  const PuzzleTextError tooBig = Refusal(above);
  ExpectError(tooBig, PuzzleTextProblem::kAboveSize, 1, 1);
  EXPECT_EQ(tooBig.expected, 9);
  EXPECT_EQ(PuzzleTextErrorReason(tooBig), "10 is above 9, the largest digit of a 9x9 board");

  std::string letterIn9 = kTop95;
  letterIn9[80] = 'B';
  ExpectError(Refusal(letterIn9), PuzzleTextProblem::kLetterOutOfSize, 1, 81);
  std::string letterIn16(256, '.');
  letterIn16[17] = 'H';  // 17 is one above G
  const PuzzleTextError h = Refusal(letterIn16);
  ExpectError(h, PuzzleTextProblem::kLetterOutOfSize, 1, 18);
  EXPECT_EQ(h.found, "H");
  EXPECT_EQ(h.expected, 16);

  std::string mixed(625, '.');
  mixed[0] = 'A';
  mixed[600] = '3';
  ExpectError(Refusal(mixed), PuzzleTextProblem::kDigitAmongLetters, 1, 601);

  // A grid whose fourth row is one cell short; the rows after it are skipped
  // with it, and the puzzle after the blank line is read.
  const std::string grid =
      "4..|...|8.5\n.3.|...|...\n...|7..|...\n.2.|...|.6\n....8.|4..\n...|.1.|...\n"
      "...|6.3|.7.\n5..|2..|...\n1.4|...|...\n\n" +
      std::string(kTop95);
  PuzzleTextCursor cursor;
  TextPuzzle puzzle = {};
  ASSERT_TRUE(NextTextPuzzle(grid, &cursor, &puzzle));
  ExpectError(puzzle.error, PuzzleTextProblem::kRowLength, 4, 1);
  EXPECT_EQ(puzzle.error.count, 8);
  EXPECT_EQ(puzzle.error.expected, 9);
  ASSERT_TRUE(NextTextPuzzle(grid, &cursor, &puzzle));
  EXPECT_TRUE(puzzle.valid);
  EXPECT_EQ(puzzle.line, 11);
  EXPECT_FALSE(NextTextPuzzle(grid, &cursor, &puzzle));
}

TEST(PuzzleTextTest, ACountOfCellsThatIsNoBoard) {
  // Cut short at the end of the text.
  const PuzzleTextError shortLine = Refusal(std::string("  ") + std::string(kTop95).substr(0, 80));
  ExpectError(shortLine, PuzzleTextProblem::kCellCount, 1, 3);
  EXPECT_EQ(shortLine.count, 80);
  // Cut short before a whole board on one line: the board is still read.
  const std::string text = "123\n" + std::string(kTop95) + "\n";
  PuzzleTextCursor cursor;
  TextPuzzle puzzle = {};
  ASSERT_TRUE(NextTextPuzzle(text, &cursor, &puzzle));
  ExpectError(puzzle.error, PuzzleTextProblem::kCellCount, 1, 1);
  EXPECT_EQ(puzzle.error.count, 3);
  ASSERT_TRUE(NextTextPuzzle(text, &cursor, &puzzle));
  ASSERT_TRUE(puzzle.valid);
  EXPECT_EQ(puzzle.line, 2);
  // Past 625 cells without stopping at a board's count.
  std::string wrapped;
  for (int i = 0; i < 70; ++i) wrapped += "1 2 3 4 5 6 7 8 9 10\n";
  const PuzzleTextError tooMany = Refusal(wrapped);
  ExpectError(tooMany, PuzzleTextProblem::kCellCount, 1, 1);
  EXPECT_EQ(tooMany.count, 630);
}

TEST(PuzzleTextTest, CopyFormReadsBackAsTheSameBoard) {
  const InputData nine = Board(kTop95);
  EXPECT_EQ(PuzzleToText(9, nine.given), std::string(kTop95) + "\n");

  InputData sixteen = {};
  sixteen.gridSize = 16;
  sixteen.given[0][0] = 16;
  sixteen.given[15][0] = 10;
  sixteen.given[3][15] = 1;
  const std::string text = PuzzleToText(16, sixteen.given);
  EXPECT_EQ(text.substr(0, 34), "16 0 0 0 0 0 0 0 0 0 0 0 0 0 0 10\n");
  EXPECT_EQ(Cells(Board(text)), Cells(sixteen));

  InputData twentyFive = {};
  twentyFive.gridSize = 25;
  for (int i = 0; i < 625; ++i) twentyFive.given[i % 25][i / 25] = (i * 7) % 26;
  const std::string text25 = PuzzleToText(25, twentyFive.given);
  EXPECT_EQ(std::count(text25.begin(), text25.end(), '\n'), 25);
  EXPECT_EQ(Cells(Board(text25)), Cells(twentyFive));
}

TEST(PuzzleTextTest, TellsInputDataFromText) {
  const std::vector<uint8_t> cvn = EncodeInputData(Board(kTop95));
  EXPECT_TRUE(LooksLikeInputData(cvn.data(), cvn.size()));
  const uint8_t marker[] = {0x01, 0x02, 0x72};  // a header cut short is still input data
  EXPECT_TRUE(LooksLikeInputData(marker, sizeof marker));
  const uint8_t damaged[] = {0x00, 0x02, 0x72, 0x09, 0x05};
  EXPECT_TRUE(LooksLikeInputData(damaged, sizeof damaged));
  const std::string text = "# \xE9\x9B\xA3\xE5\x95\x8F\r\n\t4.....8.5\f\v|";  // UTF-8 is text
  EXPECT_FALSE(LooksLikeInputData(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace
