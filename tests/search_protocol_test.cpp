// How the search meets the worker and the window: stop requests (before a
// start, during the hardest search, during a resumed one), what a stop leaves
// for the next start, the edge boards of the resume rule, and the progress
// drawing. The outcomes themselves are compared with the reference search in
// search_equivalence_test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "solver/board.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "tests/search_data.h"

namespace {

// Progress drawings as the window would get them: the cell and the digit it
// showed at that moment.
struct Drawn {
  int x;
  int y;
  int digit;
};
std::vector<Drawn> drawn;
// When set, the window asks the search to stop as it draws a digit.
bool stopOnDraw = false;

}  // namespace

void DrawBoard(WindowHandle) {}
void DrawAllCells(WindowHandle) {}
void DrawCell(WindowHandle, int, int) {}
void DrawProgressCell(WindowHandle, int x, int y) {
  drawn.push_back({x, y, board.shown[x][y]});
  if (stopOnDraw) board.searchStopped.store(1);
}
void CheckMenuCommand(WindowHandle, int, bool) {}
void EnableStartSearch(WindowHandle, bool) {}
void ShowResultMessage(WindowHandle, ResultMessage) {}
void HandleSentMessages(WindowHandle) {}

namespace {

using Layer = std::vector<int>;  // reading order

void Load(int n, const Layer& clues) {
  board.gridSize = n;
  ResetBoard(nullptr);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      board.given[x][y] = board.fixed[x][y] = board.shown[x][y] = clues[y * n + x];
    }
  }
  board.searchStopped.store(0);
  board.showProgress.store(0);
  drawn.clear();
  stopOnDraw = false;
}

Layer Shown() {
  Layer layer;
  for (int y = 0; y < board.gridSize; ++y) {
    for (int x = 0; x < board.gridSize; ++x) layer.push_back(board.shown[x][y]);
  }
  return layer;
}

// One start as the worker runs it.
int Start() {
  Propagate(nullptr);
  return SearchFrom(nullptr, 0, 0);
}

Layer Parse9(const std::string& text) {
  Layer layer;
  for (char c : text) layer.push_back(c >= '1' && c <= '9' ? c - '0' : 0);
  return layer;
}

// A 9x9 puzzle with many solutions (the first rows of the empty board's
// smallest solution, the rest open).
const char kMany[] =
    "123456789456789123789123456......................................................";

TEST(SearchProtocol, EmptyBoardShowsTheSmallestSolutionsInOrder) {
  Load(9, Layer(81, 0));
  const Layer expected[] = {
      Parse9("123456789456789123789123456214365897365897214897214365531642978642978531978531642"),
      Parse9("123456789456789123789123456214365897365897214897214365531642978648971532972538641"),
      Parse9("123456789456789123789123456214365897365897214897214365531642978672938541948571632"),
  };
  for (const Layer& solution : expected) {
    ASSERT_EQ(Start(), kSearchFound);
    EXPECT_EQ(board.solutionShown, 1);
    EXPECT_EQ(Shown(), solution);
  }
}

TEST(SearchProtocol, FullBoardIsOneSolutionThenNone) {
  const Layer full =
      Parse9("123456789456789123789123456214365897365897214897214365531642978642978531978531642");
  Load(9, full);
  EXPECT_EQ(Start(), kSearchFound);
  EXPECT_EQ(board.solutionShown, 1);
  EXPECT_EQ(Shown(), full);
  EXPECT_EQ(Start(), kSearchFailed);
  EXPECT_EQ(board.solutionShown, 0);
}

// A 9x9 start that proves its board has one solution lets the resume on that
// board end at once; the same digits on screen over another board's
// candidates must still be searched past.
TEST(SearchProtocol, AnotherBoardsOnlySolutionDoesNotEndItsResume) {
  const Layer full =
      Parse9("123456789456789123789123456214365897365897214897214365531642978642978531978531642");
  Load(9, full);
  ASSERT_EQ(Start(), kSearchFound);
  Load(9, Parse9(kMany));
  ASSERT_EQ(Start(), kSearchFound);
  ASSERT_EQ(Shown(), full);
  ASSERT_EQ(Start(), kSearchFound);
  EXPECT_EQ(Shown(),
            Parse9("123456789456789123789123456214365897365897214897214365531642978648971532"
                   "972538641"));
}

TEST(SearchProtocol, StopBeforeTheStartTouchesNothing) {
  Load(9, Parse9(kMany));
  Propagate(nullptr);
  const Layer before = Shown();
  board.searchStopped.store(1);
  EXPECT_EQ(SearchFrom(nullptr, 0, 0), kSearchStopped);
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_EQ(Shown(), before);
}

// A resumed search stopped before it passed the solution on screen leaves
// that solution and the resume flag, so the next start still resumes and
// shows the same next solution as a start that was never stopped.
TEST(SearchProtocol, ResumeStoppedEarlyStillResumes) {
  Load(9, Parse9(kMany));
  ASSERT_EQ(Start(), kSearchFound);
  const Layer first = Shown();
  ASSERT_EQ(Start(), kSearchFound);
  const Layer second = Shown();
  ASSERT_NE(first, second);

  Load(9, Parse9(kMany));
  ASSERT_EQ(Start(), kSearchFound);
  Propagate(nullptr);
  board.searchStopped.store(1);
  EXPECT_EQ(SearchFrom(nullptr, 0, 0), kSearchStopped);
  EXPECT_EQ(board.solutionShown, 1);
  EXPECT_EQ(Shown(), first);
  board.searchStopped.store(0);
  ASSERT_EQ(Start(), kSearchFound);
  EXPECT_EQ(Shown(), second);
}

// Runs one start on a thread, asks it to stop after `delay`, and returns the
// result and how long the search took to notice.
int StopAfter(std::chrono::milliseconds delay, double* secondsToStop) {
  int result = kSearchFound;
  std::thread worker([&result] { result = SearchFrom(nullptr, 0, 0); });
  std::this_thread::sleep_for(delay);
  const auto asked = std::chrono::steady_clock::now();
  board.searchStopped.store(1);
  worker.join();
  *secondsToStop = std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
  return result;
}

// The hardest board the project knows: one solution, many seconds of search.
// A stop must still end the search at once, in whatever inner query it is.
TEST(SearchProtocol, StopEndsTheHardestSearchPromptly) {
  const std::vector<std::vector<int>> hardest = ReadPuzzles("search_hardest_25x25.txt");
  ASSERT_EQ(hardest.size(), 1u);
  const Layer clues = hardest[0];
  ASSERT_EQ(clues.size(), 625u);
  Load(25, clues);
  Propagate(nullptr);
  const Layer before = Shown();
  double secondsToStop = 0;
  ASSERT_EQ(StopAfter(std::chrono::milliseconds(300), &secondsToStop), kSearchStopped)
      << "the search ended before the stop request; the board is no longer hard enough";
  // Generous against a loaded machine; the search looks at the flag at every node.
  EXPECT_LT(secondsToStop, 0.5);
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_EQ(Shown(), before);
}

// Past the solution on screen, a stop leaves a fresh start behind: the resumed
// search passes that solution at once and is stopped while it proves there is
// no other (a proof of a quarter of a second here).
TEST(SearchProtocol, StopAfterPassingTheShownSolutionDropsTheResume) {
  const Layer clues = ReadHard(0);
  const Layer solution = ReadHard(1);
  ASSERT_EQ(solution.size(), 625u);
  for (int cell = 0; cell < 625; ++cell) {
    if (clues[cell] != 0) {
      ASSERT_EQ(clues[cell], solution[cell]) << "cell " << cell;
    }
  }
  Load(25, clues);
  for (int cell = 0; cell < 625; ++cell) board.shown[cell % 25][cell / 25] = solution[cell];
  board.solutionShown = 1;
  Propagate(nullptr);
  double secondsToStop = 0;
  ASSERT_EQ(StopAfter(std::chrono::milliseconds(20), &secondsToStop), kSearchStopped)
      << "the search ended before the stop request; the board is no longer hard enough";
  EXPECT_LT(secondsToStop, 0.5);
  EXPECT_EQ(board.solutionShown, 0);
}

// A stop that arrives while a tried digit is drawn ends the search at that
// digit, as at every other step: the digits so far stay, nothing is reported
// as found, and a resumed search has passed the solution on screen by then.
TEST(SearchProtocol, StopWhileDrawingEndsTheSearchThere) {
  Load(9, Parse9(kMany));
  board.showProgress.store(1);
  stopOnDraw = true;
  EXPECT_EQ(Start(), kSearchStopped);
  EXPECT_EQ(drawn.size(), 1u);
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_NE(board.shown[drawn[0].x][drawn[0].y], 0);

  Load(9, Parse9(kMany));
  ASSERT_EQ(Start(), kSearchFound);
  board.showProgress.store(1);
  stopOnDraw = true;
  EXPECT_EQ(Start(), kSearchStopped);
  EXPECT_EQ(drawn.size(), 1u);
  EXPECT_EQ(board.solutionShown, 0);
}

// Each digit drawn is in shown when it is drawn, and the digit drawn last in
// each open cell is the solution's; clues and propagated cells are never drawn
// as trials; nothing is drawn with the progress display off.
TEST(SearchProtocol, ProgressDrawsTheTriedDigits) {
  for (int progress = 0; progress <= 1; ++progress) {
    Load(9, Parse9(kMany));
    board.showProgress.store(progress);
    ASSERT_EQ(Start(), kSearchFound);
    ASSERT_EQ(Start(), kSearchFound);
    if (progress == 0) {
      EXPECT_TRUE(drawn.empty());
      continue;
    }
    ASSERT_FALSE(drawn.empty());
    std::vector<int> last(81, 0);
    for (const Drawn& d : drawn) {
      EXPECT_EQ(board.fixed[d.x][d.y], 0);
      EXPECT_NE(d.digit, 0);
      last[d.y * 9 + d.x] = d.digit;
    }
    for (int cell = 0; cell < 81; ++cell) {
      const int x = cell % 9;
      const int y = cell / 9;
      if (board.fixed[x][y] != 0) continue;
      EXPECT_EQ(last[cell], board.shown[x][y]) << "cell " << cell;
    }
  }
}

}  // namespace
