// corvana-solve as a user runs it: files and standard input, good and bad.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "file/input_data.h"
#include "file/puzzle_text.h"
#include "maker/svg.h"
#include "tests/solution_counter.h"
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
  EXPECT_NE(run.err.find("-:4:1: the puzzle starting here has 3 cells; a board has 81 (9x9), "
                         "256 (16x16) or 625 (25x25)"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("-:5:81: 'x' is no digit of a 9x9 board"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("-:6:1: 10 is above 9"), std::string::npos) << run.err;
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

// Bytes behind the last clue are no part of the board, however many there are.
TEST(CliTest, ReadsAnInputDataFileAsFarAsItsBoardGoes) {
  InputData data = {};
  data.gridSize = 9;
  data.given[0][0] = 3;
  std::vector<uint8_t> bytes = EncodeInputData(data);
  bytes.resize(1 << 20, 0x7F);  // a megabyte of trailing bytes
  const std::string huge = TempPath("huge.cvn");
  WriteFile(huge, std::string(bytes.begin(), bytes.end()));
  const CliRun run = Solve("--print-clues " + huge + " -", std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string clues = "3" + std::string(80, '.') + "\n--\n";
  EXPECT_EQ(run.out, clues + clues);
  std::remove(huge.c_str());
}

// Every puzzle of a file is read or refused with its line, never dropped:
// what a file is shows in its first bytes, so a text file that ends in the
// DOS end-of-file byte 0x1A is text whatever its length; a whole board on a
// line of its own after a refused grid is read.
TEST(CliTest, EveryPuzzleIsReadOrRefused) {
  std::string thirty, expected;
  for (int i = 0; i < 30; ++i) thirty += kTwoSolutions + "\r\n";
  for (int i = 0; i < 30; ++i) expected += kTwoSolutions + "\n--\n";
  const std::string one = kTwoSolutions + "\n--\n";
  const struct {
    std::string text, out;
    int status;
  } kCases[] = {
      {thirty + "\x1A", expected, 0},
      {kTwoSolutions + "\n\x1A", one, 0},
      {"4.7|.6.|8.5\n..2|.?8|..7\n" + kTwoSolutions + "\n" + kTwoSolutions + "\n",
       "invalid\n--\n" + one + one, 2},
  };
  for (const auto& c : kCases) {
    const CliRun run = Solve("--print-clues", c.text);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, c.out);
  }
}

// Each puzzle's result leaves before the next puzzle is read: the second is
// written only once the first one's result has come out.
TEST(CliTest, SolvesAsTheInputArrives) {
  const std::string out = TempPath("stdout"), seen = TempPath("seen");
  std::remove(seen.c_str());
  const std::string command = "(echo " + kTwoSolutions +
                              "; for i in $(seq 100); do grep -q -- -- " + out +
                              " && { echo early >" + seen + "; break; }; sleep 0.1; done; echo " +
                              kTwoSolutions + ") | " + CORVANA_SOLVE + " --print-clues >" + out;
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(seen), "early\n");
  EXPECT_EQ(ReadFile(out), kTwoSolutions + "\n--\n" + kTwoSolutions + "\n--\n");
}

// Options as a user types them, right and wrong, and what each says.
TEST(CliTest, OptionsAndTheirMistakes) {
  const std::string cvn = TempPath("post.cvn");
  std::remove(cvn.c_str());
  std::remove("--worker");
  const struct {
    std::string arguments, input;
    int status;
    std::string err;
  } kCases[] = {
      {"--write-cvn " + cvn, kTwoSolutions + "\nSolved in 3 s, thanks!\n", 0, ""},
      {"--solutions", "", 2, "corvana-solve: --solutions needs a value"},
      {"--write-cvn --worker -", kTwoSolutions, 2, "corvana-solve: --write-cvn needs a value"},
      {"", std::string(80, '.') + "\x90\x94\n", 2, "-:1:81: '\\x90\\x94' is neither a cell"},
  };
  for (const auto& c : kCases) {
    const CliRun run = Solve(c.arguments, c.input);
    EXPECT_EQ(run.status, c.status) << c.arguments << ": " << run.err;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << c.arguments << ": " << run.err;
  }
  EXPECT_EQ(Solve("--print-clues " + cvn).out, kTwoSolutions + "\n--\n");
  EXPECT_EQ(ReadFile("--worker"), "") << "no file is named after an option";
  const CliRun help = Solve("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--generate COUNT --size"), std::string::npos) << help.out;
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

// A drawn 9x9 grid (two solutions) as a forum post writes it.
const char kDrawnGrid[] =
    "+-------+-------+-------+\n"
    "| 4 . 7 | . 6 . | 8 . 5 |\n| . . 2 | . 5 8 | . . 7 |\n| 9 . 8 | . . . | 3 . 6 |\n"
    "+-------+-------+-------+\n"
    "| 8 2 . | . 3 7 | . . . |\n| . . . | 5 . 6 | . 3 . |\n| 3 . 6 | 9 1 2 | 7 . 8 |\n"
    "+-------+-------+-------+\n"
    "| . 8 . | . 4 3 | 5 . . |\n| . . . | 2 9 1 | . 8 . |\n| 1 . 4 | 8 . 5 | 2 9 . |\n"
    "+-------+-------+-------+\n";

TEST(CliTest, SolvesEveryTextForm) {
  std::string letters16(256, '.');
  letters16[0] = 'G';  // 16
  letters16[1] = 'a';  // 10
  const CliRun run = Solve("", std::string(kDrawnGrid) + "\n" + letters16 + "\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 18), "4 1 7 3 6 9 8 2 5 ");
  const size_t second = run.out.find("--\n") + 3;
  EXPECT_EQ(run.out.substr(second, 11), "16 10 1 2 3");
}

TEST(CliTest, WritesOneTextPuzzleAsAnInputDataFile) {
  const std::string out = TempPath("out.cvn");
  WriteFile(out, "an older file");
  const CliRun written = Solve("--write-cvn " + out, kDrawnGrid);
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.out, "");
  InputData data = {};
  bool more = false;
  PuzzleTextError error;
  ASSERT_TRUE(ReadFirstPuzzle(kTwoSolutions, &data, &more, &error)) << PuzzleTextErrorReason(error);
  const std::vector<uint8_t> expected = EncodeInputData(data);
  EXPECT_EQ(ReadFile(out), std::string(expected.begin(), expected.end()));

  // Read back, with a text file beside it; the copy form of each, and "--".
  const std::string text = TempPath("sixteen.txt");
  std::string sixteen = "16";
  for (int i = 1; i < 256; ++i) sixteen += i == 17 ? " 10" : " 0";
  WriteFile(text, sixteen);
  const CliRun printed = Solve("--print-clues " + out + " " + text);
  EXPECT_EQ(printed.status, 0) << printed.err;
  std::string sixteenRows = "16 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n0 10 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n";
  for (int y = 2; y < 16; ++y) sixteenRows += "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n";
  EXPECT_EQ(printed.out, kTwoSolutions + "\n--\n" + sixteenRows + "--\n");
  // The copy form goes back in as the same file.
  const std::string again = TempPath("again.cvn");
  EXPECT_EQ(Solve("--write-cvn " + again + " " + text).status, 0);
  EXPECT_EQ(Solve("--print-clues " + again).out, sixteenRows + "--\n");
}

TEST(CliTest, WriteCvnRefusesAndKeepsTheOldFile) {
  const std::string out = TempPath("kept.cvn");
  WriteFile(out, "an older file");
  const CliRun two = Solve("--write-cvn " + out, kTwoSolutions + "\n\n" + kDrawnGrid);
  EXPECT_EQ(two.status, 2);
  EXPECT_NE(
      two.err.find("-: holds 2 puzzles, --write-cvn writes one (the second starts at line 4)"),
      std::string::npos)
      << two.err;
  const CliRun bad = Solve("--write-cvn " + out, "4.7|.6.|8.5\n..2|.58|..7\n9.8|...|3?6\n");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("-:3:10: '?' is neither a cell"), std::string::npos) << bad.err;
  const CliRun none = Solve("--write-cvn " + out, "# nothing\n");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("-: no puzzle"), std::string::npos) << none.err;
  EXPECT_EQ(ReadFile(out), "an older file");

  const CliRun unwritable = Solve("--write-cvn /nonexistent-dir/x.cvn", kTwoSolutions);
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot write /nonexistent-dir/x.cvn"), std::string::npos);
  EXPECT_EQ(Solve("--write-cvn a.cvn b.txt c.txt").status, 2);
  const CliRun noName = Solve("--write-cvn");
  EXPECT_EQ(noName.status, 2);
  EXPECT_NE(noName.err.find("--write-cvn needs a value"), std::string::npos);
}

TEST(CliTest, PrintCluesNamesRefusedPuzzles) {
  const CliRun run = Solve("--print-clues", "1 2 3\n" + kTwoSolutions + "\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "invalid\n--\n" + kTwoSolutions + "\n--\n");
  EXPECT_NE(run.err.find("-:1:1: the puzzle starting here has 3 cells"), std::string::npos)
      << run.err;
}

}  // namespace

// --count against what each board is known to hold: a 17-clue puzzle has one
// solution, kTwoSolutions two, clashing clues none, an empty 9x9 board more
// than any limit; bad limits stop with code 2.
TEST(CliTest, CountsSolutionsUpToTheLimit) {
  const std::string unique17 =
      "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
  const std::string clash = "11" + std::string(79, '.');
  const std::string empty(81, '.');
  struct Case {
    std::string arguments, input, out;
    int status;
  } cases[] = {
      {"--count", unique17, "unique\n", 0},
      {"--count", kTwoSolutions, "at least 2\n", 0},
      {"--count 5", kTwoSolutions, "several (2)\n", 0},
      {"--count", clash, "none\n", 0},
      {"--count 50", empty, "at least 50\n", 0},
      {"--count 0", unique17, "", 2},
      {"--count 99999999", unique17, "", 2},
      {"--count --bogus", unique17, "", 2},
  };
  for (const Case& c : cases) {
    const CliRun run = Solve(c.arguments, c.input + "\n");
    EXPECT_EQ(run.status, c.status) << c.arguments << " " << c.input;
    EXPECT_EQ(run.out, c.out) << c.arguments << " " << c.input;
    if (c.status == 2) {
      EXPECT_NE(run.err.find("corvana-solve:"), std::string::npos);
    }
  }
}

// The grade of known puzzles, one of each grade and size the shared sets
// hold (tests/data/grades.txt): a human-rated 16x16 and 25x25 set spreads over
// the grades, the forum's hardest and "44 hardest 16x16" land at the top, the
// last cut short at the search's cap; clashing clues and a board with two
// solutions are no puzzle. The figures are whole numbers of a fixed walk, so
// they are the same on every build.
TEST(CliTest, RatesKnownPuzzles) {
  const CliRun run = Solve("--rate " + std::string(CORVANA_TEST_DATA) + "/grades.txt -",
                           "11" + std::string(79, '.') + "\n" + kTwoSolutions + "\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "easy 106\nmedium 208\nhard 308\nfiendish 1099 (54 decisions, 45 backtracks)\n"
            "diabolical 2091 (549 decisions, 542 backtracks)\n"
            "easy 120\nmedium 208\nhard 307\nfiendish 1016 (10 decisions, 6 backtracks)\n"
            "diabolical 1310 (160 decisions, 150 backtracks)\n"
            "diabolical 101000+ (50014 decisions, 49990 backtracks)\n"
            "easy 101\nmedium 224\nhard 325\nfiendish 1056 (32 decisions, 24 backtracks)\n"
            "diabolical 2195 (604 decisions, 591 backtracks)\n"
            "none\nseveral\n");
}

// The maker's command line, right and wrong: one mode at a time, every
// mistake a message and code 2 with nothing on standard output.
TEST(CliTest, MakerOptionsAndTheirMistakes) {
  const std::string unique17 =
      "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......\n";
  const struct {
    std::string arguments, err;
  } kCases[] = {
      {"--rate --frobnicate", "corvana-solve: unknown option '--frobnicate'"},
      {"--explain --rate",
       "corvana-solve: --count, --rate, --explain and --generate go one at a time"},
      {"--count 3 --explain",
       "corvana-solve: --count, --rate, --explain and --generate go one at a time"},
      {"--count=0", "corvana-solve: --count takes a LIMIT from 1 to 1000000"},
      {"--rate --count=x", "corvana-solve: --count takes a LIMIT from 1 to 1000000"},
      {"--generate 3 --size 10", "corvana-solve: --generate needs --size 9, 16 or 25"},
      {"--generate 3", "corvana-solve: --generate needs --size 9, 16 or 25"},
      {"--generate 0 --size 9", "corvana-solve: --generate takes a COUNT from 1 to 1000000"},
      {"--generate 99999999 --size 9", "corvana-solve: --generate takes a COUNT from 1 to 1000000"},
      {"--generate --size 9", "corvana-solve: --generate needs a value"},
      {"--generate 3 --size", "corvana-solve: --size needs a value"},
      {"--generate 3 --size 9 --grade tough",
       "corvana-solve: --grade takes easy, medium, hard, fiendish, diabolical, not 'tough'"},
      {"--size 9 --count",
       "corvana-solve: --size, --seed, --minimal, --symmetric and --grade go with --generate"},
      {"--generate 3 --size 9 x.txt", "corvana-solve: --generate reads no files"},
  };
  for (const auto& c : kCases) {
    const CliRun run = Solve(c.arguments, unique17);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_EQ(run.out, "") << c.arguments;
    EXPECT_NE(run.err.find(c.err + "\nusage: corvana-solve --count"), std::string::npos)
        << c.arguments << ": " << run.err;
  }
  const CliRun fileAfterCount = Solve("--count -- -", unique17);
  EXPECT_EQ(fileAfterCount.out, "unique\n") << fileAfterCount.err;
}

// --generate's puzzles read back and checked by the tests' own counter
// (tests/solution_counter.h), not the engine: one solution each; with --minimal
// no clue (with --symmetric no pair of clues) can go without letting a second
// one in; with --symmetric the clues keep their places under a half turn. The
// same seed makes the same puzzles again.
TEST(CliTest, GeneratesUniquePuzzlesAsAsked) {
  struct Case {
    std::string arguments;
    int size, count;
    bool minimal, symmetric;
    std::string grade;  // what --rate says of each, when asked for
  } cases[] = {
      {"--generate 30 --size 9 --seed 1", 9, 30, false, false, ""},
      {"--generate 30 --size 9 --seed 2 --minimal", 9, 30, true, false, ""},
      {"--generate 10 --size 9 --seed 3 --minimal --symmetric", 9, 10, true, true, ""},
      {"--generate 3 --size 16 --seed 4", 16, 3, false, false, ""},
      {"--generate 1 --size 16 --seed 6 --minimal --symmetric", 16, 1, true, true, ""},
      {"--generate 4 --size 9 --seed 7 --minimal --grade hard", 9, 4, true, false, "hard"},
      {"--generate 2 --size 9 --seed 8 --grade easy", 9, 2, false, false, "easy"},
  };
  for (const Case& c : cases) {
    const CliRun run = Solve(c.arguments);
    ASSERT_EQ(run.status, 0) << c.arguments << run.err;
    EXPECT_EQ(Solve(c.arguments).out, run.out) << c.arguments;
    PuzzleTextCursor cursor;
    TextPuzzle read;
    int puzzles = 0;
    for (; NextTextPuzzle(run.out, &cursor, &read); ++puzzles) {
      ASSERT_TRUE(read.valid && read.data.gridSize == c.size) << c.arguments << run.out;
      const int n = c.size;
      std::vector<int> clues(n * n);
      for (int i = 0; i < n * n; ++i) clues[i] = read.data.given[i % n][i / n];
      EXPECT_EQ(read.line, puzzles + 1) << "one puzzle a line";
      solution_counter::Counter counter(n);
      EXPECT_EQ(counter.Count(clues, 2), 1) << c.arguments;
      for (int i = 0; i < n * n; ++i) {
        const int partner = n * n - 1 - i;
        if (c.symmetric) {
          EXPECT_EQ(clues[i] != 0, clues[partner] != 0) << c.arguments;
        }
        if (!c.minimal || clues[i] == 0) continue;
        // A second solution differs from the first in the clue's cell, or
        // agrees there and differs in its partner's.
        std::vector<int> fewer = clues;
        fewer[i] = 0;
        int others = counter.Count(fewer, 1, i, clues[i]);
        if (c.symmetric && others == 0 && partner != i) {
          fewer[partner] = 0;
          others = counter.Count(fewer, 1, partner, clues[partner]);
        }
        EXPECT_EQ(others, 1) << c.arguments << ": clue " << i << " can go";
      }
    }
    EXPECT_EQ(puzzles, c.count) << c.arguments;
    if (c.grade.empty()) continue;
    const std::string rates = Solve("--rate", run.out).out;
    for (size_t at = 0; at < rates.size(); at = rates.find('\n', at) + 1) {
      EXPECT_EQ(rates.compare(at, c.grade.size() + 1, c.grade + " "), 0) << c.arguments << rates;
    }
  }
}

// --svg's page as a real renderer draws it (rsvg-convert, at 4 pixels a
// millimetre): in every cell of the first board a clue shows dark pixels, an
// empty cell stays white inside its lines.
TEST(CliTest, PrintsBoardsOnAPageThatRenders) {
  for (const int size : {9, 16}) {
    const std::string svg = TempPath("page.svg"), png = TempPath("page.png");
    const CliRun run =
        Solve("--generate 2 --size " + std::to_string(size) + " --seed 3 --svg " + svg);
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(std::system(("rsvg-convert -w 840 " + svg + " -o " + png).c_str()), 0);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str()));
    image.format = PNG_FORMAT_GRAY;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    const double scale = image.width / 210.0;
    TextPuzzle first;
    PuzzleTextCursor cursor;
    ASSERT_TRUE(NextTextPuzzle(run.out, &cursor, &first));
    const BoardPlace at = PlaceOnPage(size, 0);
    const double cell = at.side / size;
    for (int c = 0; c < size * size; ++c) {
      const int x = c % size, y = c / size;
      int darkest = 255;
      for (double v = 0.2; v < 0.8; v += 0.05) {
        for (double u = 0.2; u < 0.8; u += 0.05) {
          const int px = static_cast<int>((at.left + (x + u) * cell) * scale);
          const int py = static_cast<int>((at.top + (y + v) * cell) * scale);
          darkest = std::min<int>(darkest, pixels[py * image.width + px]);
        }
      }
      const bool clue = first.data.given[x][y] != 0;
      EXPECT_EQ(darkest < 128, clue) << size << "x" << size << " cell " << c << ": " << darkest;
      if (clue) continue;
      EXPECT_EQ(darkest, 255) << size << "x" << size << " cell " << c;
    }
  }
}
