// corvana-solve as a user runs it: files and standard input, good and bad.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "file/input_data.h"
#include "tools/puzzle_input.h"

namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// Named after the running test: ctest runs the tests side by side.
std::string TempPath(const std::string& name) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "corvana_cli_" + test->name() + "_" + name;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CliRun Solve(const std::string& arguments, const std::string& input = "") {
  const std::string in = TempPath("stdin"), out = TempPath("stdout"), err = TempPath("stderr");
  WriteFile(in, input);
  const std::string command =
      std::string(CORVANA_SOLVE) + " " + arguments + " <" + in + " >" + out + " 2>" + err;
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
}

const std::string kTwoSolutions =
    "4.7.6.8.5..2.58..79.8...3.682..37......5.6.3.3.69127.8.8..435.....291.8.1.48.529.";

TEST(CliTest, StepsThroughSolutionsUntilNone) {
  const CliRun run = Solve("--solutions 5", kTwoSolutions + "\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "4 1 7 3 6 9 8 2 5 6 3 2 1 5 8 9 4 7 9 5 8 7 2 4 3 1 6 8 2 5 4 3 7 1 6 9 7 9 1 5 8 6 "
            "4 3 2 3 4 6 9 1 2 7 5 8 2 8 9 6 4 3 5 7 1 5 7 3 2 9 1 6 8 4 1 6 4 8 7 5 2 9 3\n"
            "4 3 7 1 6 9 8 2 5 6 1 2 3 5 8 9 4 7 9 5 8 7 2 4 3 1 6 8 2 5 4 3 7 1 6 9 7 9 1 5 8 6 "
            "4 3 2 3 4 6 9 1 2 7 5 8 2 8 9 6 4 3 5 7 1 5 7 3 2 9 1 6 8 4 1 6 4 8 7 5 2 9 3\n"
            "none\n--\n");
}

TEST(CliTest, BadLinesAreNamedAndTheOthersStillSolved) {
  std::string tooBig = "10";
  for (int i = 1; i < 81; ++i) tooBig += " 0";  // a 9x9 board whose first cell is 10
  const std::string input = "# a comment, then a blank line\n\n" + kTwoSolutions + "\n" +
                            "123\n" +                       // line 4: too few cells
                            std::string(80, '.') + "x\n" +  // line 5: not a digit
                            tooBig + "\n" + kTwoSolutions;  // line 6: above 9
  const CliRun run = Solve("", input);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(
      run.err.find("-:4: expected 81 characters, or 81, 256 or 625 numbers, found 3 characters"),
      std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("-:5: cell 81 is 'x'"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("-:6: cell 1 holds 10, above 9"), std::string::npos) << run.err;
  const std::string solved =
      "4 1 7 3 6 9 8 2 5 6 3 2 1 5 8 9 4 7 9 5 8 7 2 4 3 1 6 8 2 5 4 3 7 1 6 9 7 9 1 5 8 6 "
      "4 3 2 3 4 6 9 1 2 7 5 8 2 8 9 6 4 3 5 7 1 5 7 3 2 9 1 6 8 4 1 6 4 8 7 5 2 9 3\n--\n";
  EXPECT_EQ(run.out, solved + "invalid\n--\ninvalid\n--\ninvalid\n--\n" + solved);
}

TEST(CliTest, ReadsInputDataFilesAndReportsUnreadableOnes) {
  InputData data = {};
  data.gridSize = 9;
  data.given[0][0] = 3;
  data.given[1][1] = 3;
  const std::vector<uint8_t> bytes = EncodeInputData(data);
  const std::string clash = TempPath("clash.cvn");
  WriteFile(clash, std::string(bytes.begin(), bytes.end()));
  const std::string broken = TempPath("broken.cvn");
  WriteFile(broken, std::string(bytes.begin(), bytes.begin() + 40));
  const std::string missing = TempPath("missing.cvn");
  std::remove(missing.c_str());

  const CliRun run = Solve(clash + " " + broken + " " + missing);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "conflict 0 0 1 1\n--\ninvalid\n--\ninvalid\n--\n");
  EXPECT_NE(run.err.find(broken + ": not a valid input-data file"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(missing + ": cannot read"), std::string::npos) << run.err;
}

TEST(CliTest, PropagateAndStatsAndSixteenByNumbers) {
  const CliRun logic =
      Solve("--propagate -",
            "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......\n");
  EXPECT_EQ(logic.status, 0);
  EXPECT_EQ(logic.out.substr(0, 18), "4 1 7 3 6 9 8 2 5 ");
  EXPECT_EQ(logic.out.find(" 0 "), std::string::npos) << "logic alone solves this one";

  std::string empty16 = "0";
  for (int i = 1; i < 256; ++i) empty16 += " 0";
  const CliRun run = Solve("--stats --solutions 2", empty16 + "\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.substr(0, 38), "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16");
  EXPECT_NE(run.err.find("-:1: "), std::string::npos);
  EXPECT_NE(run.err.find(" search steps"), std::string::npos);

  EXPECT_EQ(Solve("--solutions 0").status, 2);
  EXPECT_EQ(Solve("--frobnicate").status, 2);
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// Each start runs on the calling thread unless --worker hands it to a solve
// worker as the window does; both must print the same, board for board.
TEST(CliTest, StartsInPlaceAndOnTheWorkerPrintTheSame) {
  const std::string corpus = std::string(CORVANA_TEST_DATA) + "/search_corpus.txt";
  const std::string input =
      kTwoSolutions + "\n" +
      "3.........3......................................................................\n" +
      "12345678....................................9....................................\n" +
      "123\n";
  const CliRun inPlace = Solve("--solutions 3 " + corpus + " -", input);
  const CliRun onWorker = Solve("--worker --solutions 3 " + corpus + " -", input);
  EXPECT_EQ(inPlace.status, 2);
  EXPECT_EQ(onWorker.status, inPlace.status);
  EXPECT_EQ(onWorker.err, inPlace.err);
  EXPECT_EQ(onWorker.out, inPlace.out);
  EXPECT_EQ(Count(inPlace.out, "--\n"), 69u + 4u) << "every puzzle of the corpus and the input";
  EXPECT_GE(Count(inPlace.out, "none\n"), 50u) << inPlace.out.substr(0, 400);
  EXPECT_EQ(Count(inPlace.out, "conflict 0 0 1 1\n"), 1u);
}

TEST(PuzzleInputTest, ReadsNumbersLinesInPlaceAndNamesTheBadWord) {
  std::string words16;
  for (int i = 0; i < 256; ++i) {
    words16 += (i == 0 ? "" : i % 3 == 0 ? " \t " : " ") + std::to_string(i % 17);
  }
  InputData data = {};
  std::string error;
  ASSERT_TRUE(ParsePuzzleLine(words16, &data, &error)) << error;
  EXPECT_EQ(data.gridSize, 16);
  EXPECT_EQ(data.given[0][0], 0);
  EXPECT_EQ(data.given[15][0], 15);
  EXPECT_EQ(data.given[0][1], 16) << "cell 17, the first of the second row";
  EXPECT_EQ(data.given[14][15], 254 % 17);

  const auto errorFor = [](std::string line) {
    InputData unused = {};
    std::string message;
    EXPECT_FALSE(ParsePuzzleLine(line, &unused, &message)) << line.substr(0, 30);
    return message;
  };
  std::string line = words16;
  EXPECT_EQ(errorFor(line.replace(line.find(" 5 "), 3, " 5a ")),
            "cell 6 is '5a', not a number from 0 to 16");
  line = words16;
  EXPECT_EQ(errorFor(line.replace(line.find(" 5 "), 3, " 0005 ")),
            "cell 6 is '0005', not a number from 0 to 16");
  line = words16;
  EXPECT_EQ(errorFor(line.replace(line.find(" 5 "), 3, " 017 ")), "cell 6 holds 017, above 16");
  EXPECT_EQ(errorFor(words16 + " 1"),
            "expected 81 characters, or 81, 256 or 625 numbers, found 257 numbers");
}

TEST(PuzzleInputTest, TellsInputDataFromText) {
  EXPECT_FALSE(LooksLikeInputData({'1', '.', '\r', '\n', '\t', ' '}));
  EXPECT_TRUE(LooksLikeInputData({0x01, 0x02, 0x72, 0x09}));
  const std::vector<Puzzle> puzzles = ParsePuzzles("f", {'#', '\n', ' ', ' ', '\r', '\n'});
  EXPECT_TRUE(puzzles.empty());
}

}  // namespace
