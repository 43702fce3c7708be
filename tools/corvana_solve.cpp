// corvana-solve: the solver without a window, for batch solving, tests and
// benchmarks. Each start goes through the same commands as the menu's
// start-search, so what it prints is what the window would show.
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
#include "tools/puzzle_input.h"
#include "tools/silent_window.h"

namespace {

struct Options {
  int solutions = 1;
  bool propagate = false;
  bool stats = false;
  std::vector<std::string> files;
};

constexpr WindowHandle kNoWindow = nullptr;

void PrintUsage(FILE* out) {
  std::fputs(
      "usage: corvana-solve [--solutions K] [--propagate] [--stats] [FILE ...]\n"
      "Solves each puzzle of the files (standard input for none or '-'): an input-data\n"
      "file, or text with one puzzle a line (81 characters with '.' or '0' for an empty\n"
      "cell, or N*N numbers 0..N for N = 9, 16, 25). Prints the board after each of K\n"
      "starts, 'none' when there is no further solution, 'conflict X1 Y1 X2 Y2' for\n"
      "clashing clues, and '--' after each puzzle.\n",
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
  return true;
}

// The whole input, except that an input-data file is read only as far as it
// takes to know it is too long: text of many puzzles may be any length.
bool ReadAll(const std::string& name, std::vector<uint8_t>* content) {
  FILE* file = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
  if (file == nullptr) return false;
  uint8_t buffer[65536];
  size_t got = 0;
  bool binary = false;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    content->insert(content->end(), buffer, buffer + got);
    binary = binary || LooksLikeInputData(std::vector<uint8_t>(buffer, buffer + got));
    if (binary && content->size() > kMaxInputDataFileSize) {
      content->resize(kInputDataReadLimit);
      break;
    }
  }
  const bool ok = std::ferror(file) == 0;
  if (file != stdin) std::fclose(file);
  return ok;
}

void PrintLayer(const int32_t layer[kMaxGridSize][kMaxGridSize]) {
  std::string line;
  for (int y = 0; y < board.gridSize; ++y) {
    for (int x = 0; x < board.gridSize; ++x) {
      if (!line.empty()) line += ' ';
      line += std::to_string(layer[x][y]);
    }
  }
  std::printf("%s\n", line.c_str());
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
void ShowSolutions(int starts) {
  for (int i = 0; i < starts; ++i) {
    StartSearch(kNoWindow);
    WaitForWorker(kNoWindow);
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

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    PrintUsage(stderr);
    return 2;
  }
  board.searchStopped.store(1);
  board.showProgress.store(0);
  bool anyInvalid = false;
  for (const std::string& name : options.files) {
    std::vector<uint8_t> content;
    std::vector<Puzzle> puzzles;
    if (ReadAll(name, &content)) {
      puzzles = ParsePuzzles(name, content);
    } else {
      puzzles.push_back({name, 0, false, std::string("cannot read: ") + std::strerror(errno), {}});
    }
    for (const Puzzle& puzzle : puzzles) {
      const std::string where =
          puzzle.line > 0 ? puzzle.source + ":" + std::to_string(puzzle.line) : puzzle.source;
      if (!puzzle.valid) {
        std::fprintf(stderr, "corvana-solve: %s: %s\n", where.c_str(), puzzle.error.c_str());
        std::printf("invalid\n--\n");
        anyInvalid = true;
        continue;
      }
      const auto start = std::chrono::steady_clock::now();
      ResetSearchSteps();
      ApplyInputData(kNoWindow, puzzle.data);
      if (options.propagate) {
        ShowPropagation();
      } else {
        ShowSolutions(options.solutions);
      }
      std::printf("--\n");
      std::fflush(stdout);
      if (options.stats) {
        const std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        std::fprintf(stderr, "%s: %.3f ms, %lld search steps\n", where.c_str(), elapsed.count(),
                     static_cast<long long>(SearchSteps()));
      }
    }
  }
  StopWorker(kNoWindow);
  return anyInvalid ? 2 : 0;
}
