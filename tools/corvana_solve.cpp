// corvana-solve: the solver without a window, for batch solving, tests and
// benchmarks. Each start goes through the same commands as the menu's
// start-search, so what it prints is what the window would show. The starts
// run on the calling thread (a thread per start would cost more than most 9x9
// searches); --worker hands each to a solve worker, as the window does.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

namespace {

struct Options {
  int solutions = 1;
  bool propagate = false;
  bool stats = false;
  bool printClues = false;
  std::string writeCvn;  // the output file of --write-cvn, empty without it
  bool worker = false;
  std::vector<std::string> files;
};

constexpr WindowHandle kNoWindow = nullptr;

void PrintUsage(FILE* out) {
  std::fputs(
      "usage: corvana-solve [--solutions K] [--propagate] [--stats] [--worker] [FILE ...]\n"
      "       corvana-solve --write-cvn OUT [FILE]\n"
      "       corvana-solve --print-clues [FILE ...]\n"
      "Solves each puzzle of the files (standard input for none or '-'): an input-data\n"
      "file, or text puzzles one after another: 81 characters with '.' or '0' for an\n"
      "empty cell, a drawn 9x9 grid, N*N numbers 0..N (N = 9, 16, 25) on one line or\n"
      "in rows, 16x16 with A-G for 10-16, 25x25 with A-Y for 1-25. Prints the board\n"
      "after each of K starts, 'none' when there is no further solution,\n"
      "'conflict X1 Y1 X2 Y2' for clashing clues, and '--' after each puzzle.\n"
      "--write-cvn writes the one puzzle of FILE as an input-data file OUT;\n"
      "--print-clues prints the clues of each puzzle as the window copies them.\n"
      "--worker runs each start on a solve worker thread, as the window does.\n",
      out);
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--solutions" && i + 1 < argc) {
      char* end = nullptr;
      const long k = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || k < 1 || k > 1000000) {
        std::fprintf(stderr, "corvana-solve: --solutions takes a whole number from 1 up\n");
        return false;
      }
      options->solutions = static_cast<int>(k);
    } else if (arg == "--propagate") {
      options->propagate = true;
    } else if (arg == "--stats") {
      options->stats = true;
    } else if (arg == "--print-clues") {
      options->printClues = true;
    } else if (arg == "--write-cvn") {
      if (i + 1 == argc || argv[i + 1][0] == '\0') {
        std::fprintf(stderr, "corvana-solve: --write-cvn takes the file to write\n");
        return false;
      }
      options->writeCvn = argv[++i];
    } else if (arg == "--worker") {
      options->worker = true;
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      std::exit(0);
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "corvana-solve: unknown option '%s'\n", arg.c_str());
      return false;
    } else {
      options->files.push_back(arg);
    }
  }
  if (options->files.empty()) options->files.push_back("-");
  if (!options->writeCvn.empty() && options->files.size() > 1) {
    std::fprintf(stderr, "corvana-solve: --write-cvn reads one file\n");
    return false;
  }
  if (!options->writeCvn.empty() && options->printClues) {
    std::fprintf(stderr, "corvana-solve: --write-cvn and --print-clues do not go together\n");
    return false;
  }
  return true;
}

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

}  // namespace

int main(int argc, char** argv) {
  // Counting, rating and making puzzles: a command line of its own.
#ifndef CORVANA_SOLVE_WITHOUT_MAKER
  if (WantsMaker(argc, argv)) return RunMakerTool(argc, argv);
#endif
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    PrintUsage(stderr);
    return 2;
  }
  if (!options.writeCvn.empty()) return WriteCvnCommand(options.writeCvn, options.files[0]);
  if (options.printClues) return PrintCluesCommand(options.files);
  board.searchStopped.store(1);
  board.showProgress.store(0);
  // Messages and statistics leave with the results, not a write a line.
  static char errorBuffer[BUFSIZ];
  std::setvbuf(stderr, errorBuffer, _IOFBF, sizeof errorBuffer);
  const bool allValid =
      ForEachPuzzle(options.files, "invalid\n--\n", [&options](const Puzzle& puzzle) {
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
      });
  StopWorker(kNoWindow);
  return allValid ? 0 : 2;
}
