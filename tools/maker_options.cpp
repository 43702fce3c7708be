#include "tools/maker_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "maker/maker.h"
#include "tools/puzzle_input.h"

namespace {

constexpr long long kMostCount = 1000000;

struct MakerOptions {
  long long countLimit = 0;  // --count's LIMIT; 0 without --count
  std::vector<std::string> files;
};

bool IsWholeNumber(const char* text, long long* value) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  char* end = nullptr;
  *value = std::strtoll(text, &end, 10);
  return *end == '\0';
}

bool Fail(const char* message) {
  std::fprintf(stderr, "corvana-solve: %s\n", message);
  return false;
}

bool ParseMaker(int argc, char** argv, MakerOptions* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    long long value = 0;
    if (arg == "--count") {
      options->countLimit = 2;
      if (i + 1 < argc && IsWholeNumber(argv[i + 1], &value)) {
        ++i;
        if (value < 1 || value > kMostCount) {
          return Fail("--count takes a LIMIT from 1 to 1000000");
        }
        options->countLimit = value;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "corvana-solve: '%s' does not go with --count\n", arg.c_str());
      return false;
    } else {
      options->files.push_back(arg);
    }
  }
  if (options->files.empty()) options->files.push_back("-");
  return true;
}

}  // namespace

bool WantsMaker(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--count") == 0) return true;
  }
  return false;
}

int RunMakerTool(int argc, char** argv) {
  MakerOptions options;
  if (!ParseMaker(argc, argv, &options)) {
    std::fputs("usage: corvana-solve --count [LIMIT] [FILE ...]\n", stderr);
    return 2;
  }
  const long long limit = options.countLimit;
  const bool allValid = ForEachPuzzle(options.files, "invalid\n", [limit](const Puzzle& puzzle) {
    const std::string text = CountText(CountBoard(BoardOf(puzzle.data), limit), limit);
    std::printf("%s\n", text.c_str());
  });
  return allValid ? 0 : 2;
}
