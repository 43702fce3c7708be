// corvana-solve: the solver without a window, for batch solving, tests and
// benchmarks. Each start goes through the same commands as the menu's
// start-search, so what it prints is what the window would show. The starts
// run on the calling thread (a thread per start would cost more than most 9x9
// searches); --worker hands each to a solve worker, as the window does.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "file/input_data.h"
#include "solver/board.h"
#include "solver/check.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "solver/worker.h"
#ifndef CORVANA_SOLVE_WITHOUT_MAKER
#include "tools/maker_options.h"
#endif
#include "tools/puzzle_convert.h"
#include "tools/puzzle_input.h"
#include "tools/silent_window.h"
#include "tools/solve_options.h"

namespace {

constexpr WindowHandle kNoWindow = nullptr;

// One line of N*N numbers, written in one piece: a 9x9 board takes less time
// to search than to format with printf.
void PrintLayer(const int32_t layer[kMaxGridSize][kMaxGridSize]) {
  char line[kMaxGridSize * kMaxGridSize * 3 + 1];
  char* end = line;
  for (int y = 0; y < board.gridSize; ++y) {
    for (int x = 0; x < board.gridSize; ++x) {
      const int32_t v = layer[x][y];
      if (v >= 10) *end++ = static_cast<char>('0' + v / 10);
      *end++ = static_cast<char>('0' + v % 10);
      *end++ = ' ';
    }
  }
  end[-1] = '\n';
  std::fwrite(line, 1, static_cast<size_t>(end - line), stdout);
}

void PrintConflict() {
  std::printf("conflict %d %d %d %d\n", board.conflictAt.x, board.conflictAt.y,
              board.conflictOther.x, board.conflictOther.y);
}

// Logical propagation alone, as the worker runs it before its search.
void ShowPropagation() {
  if (CheckInput(kNoWindow, 0, 0) == 0) {
    PrintConflict();
    return;
  }
  Propagate(kNoWindow);
  PrintLayer(board.fixed);
}

// K starts of the search, each one what choosing start-search does.
void ShowSolutions(int starts, bool onWorker) {
  for (int i = 0; i < starts; ++i) {
    if (onWorker) {
      StartSearch(kNoWindow);
      WaitForWorker(kNoWindow);
    } else {
      StartSearchInPlace(kNoWindow);
    }
    ResultMessage message;
    if (!TakeResultMessage(&message)) {
      PrintLayer(board.shown);
      continue;
    }
    switch (message) {
      case ResultMessage::kInputConflict:
        PrintConflict();
        return;
      case ResultMessage::kNoSolution:
        std::printf("none\n");
        return;
      case ResultMessage::kCannotStart:
        std::fprintf(stderr, "corvana-solve: the solve could not start\n");
        std::exit(1);
    }
  }
}

using Clock = std::chrono::steady_clock;

// Output leaves at least every tenth of a second, so that a long run shows
// its progress, but not after every puzzle: a write of its own costs a 9x9
// puzzle more than its search.
constexpr Clock::duration kFlushEvery = std::chrono::milliseconds(100);

void FlushNowAndThen(Clock::time_point now) {
  static Clock::time_point lastFlush = now;
  if (now - lastFlush < kFlushEvery) return;
  std::fflush(stdout);
  std::fflush(stderr);
  lastFlush = now;
}

// Solves one puzzle and prints what the window would show.
void SolveOne(const Options& options, const Puzzle& puzzle) {
  const Clock::time_point start = Clock::now();
  ResetSearchSteps();
  ApplyInputData(kNoWindow, puzzle.data);
  if (options.propagate) {
    ShowPropagation();
  } else {
    ShowSolutions(options.solutions, options.worker);
  }
  std::fputs("--\n", stdout);
  FlushNowAndThen(Clock::now());
  if (options.stats) {
    const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
    std::fprintf(stderr, "%s: %.3f ms, %lld search steps\n", PuzzlePlace(puzzle).c_str(),
                 elapsed.count(), static_cast<long long>(SearchSteps()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Buffered whatever standard output is (FlushNowAndThen lets it out): the C
  // runtime on Windows takes a character device such as NUL for a console and
  // writes every piece at once, which under Wine cost a 9x9 puzzle 10 ms.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  // Counting, rating and making puzzles: a command line of its own.
#ifndef CORVANA_SOLVE_WITHOUT_MAKER
  if (WantsMaker(argc, argv)) return RunMakerTool(argc, argv);
#endif
  Options options;
  switch (ParseOptions(argc, argv, &options)) {
    case ParseResult::kHelp:
      PrintUsage(stdout);
#ifndef CORVANA_SOLVE_WITHOUT_MAKER
      PrintMakerUsage(stdout);
#endif
      return 0;
    case ParseResult::kRefused:
      PrintUsage(stderr);
      return 2;
    case ParseResult::kRun:
      break;
  }
  if (!options.writeCvn.empty()) return WriteCvnCommand(options.writeCvn, options.files[0]);
  if (options.printClues) return PrintCluesCommand(options.files);
  board.searchStopped.store(1);
  board.showProgress.store(0);
  // Messages and statistics leave with the results, not a write a line.
  static char errorBuffer[BUFSIZ];
  std::setvbuf(stderr, errorBuffer, _IOFBF, sizeof errorBuffer);
  const bool allValid =
      ForEachPuzzle(options.files, "invalid\n--\n",
                    [&options](const Puzzle& puzzle) { SolveOne(options, puzzle); });
  StopWorker(kNoWindow);
  return allValid ? 0 : 2;
}
