#include "tools/maker_options.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "maker/maker.h"
#include "tools/maker_generate.h"
#include "tools/puzzle_input.h"

namespace {

constexpr long long kMostCount = 1000000;

struct MakerOptions {
  long long countLimit = 0;  // --count's LIMIT; 0 without --count
  long long generate = 0;    // --generate's COUNT; 0 without --generate
  long long size = 0;        // --size; 0 when not given
  bool seedGiven = false;
  uint64_t seed = 0;
  bool minimal = false;
  bool symmetric = false;
  std::vector<std::string> files;
};

const char* const kMakerOptions[] = {"--count", "--generate"};

bool IsWholeNumber(const char* text, unsigned long long* value) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtoull(text, &end, 10);
  return *end == '\0' && errno == 0;
}

bool Fail(const std::string& message) {
  std::fprintf(stderr, "corvana-solve: %s\n", message.c_str());
  return false;
}

// The value after option argv[*i], which must be a whole number.
bool TakeNumber(int argc, char** argv, int* i, unsigned long long* value) {
  const std::string option = argv[*i];
  if (*i + 1 >= argc || !IsWholeNumber(argv[*i + 1], value)) {
    const std::string found = *i + 1 < argc ? std::string(" (found '") + argv[*i + 1] + "')" : "";
    return Fail(option + " needs a whole number" + found);
  }
  ++*i;
  return true;
}

bool ParseMaker(int argc, char** argv, MakerOptions* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    unsigned long long value = 0;
    if (arg == "--count") {
      options->countLimit = 2;
      if (i + 1 < argc && IsWholeNumber(argv[i + 1], &value)) {
        ++i;
        if (value < 1 || value > kMostCount) {
          return Fail("--count takes a LIMIT from 1 to 1000000");
        }
        options->countLimit = static_cast<long long>(value);
      }
    } else if (arg == "--generate") {
      if (!TakeNumber(argc, argv, &i, &value)) return false;
      if (value < 1 || value > kMostCount) {
        return Fail("--generate takes a COUNT from 1 to 1000000");
      }
      options->generate = static_cast<long long>(value);
    } else if (arg == "--size") {
      if (!TakeNumber(argc, argv, &i, &value)) return false;
      if (value != 9 && value != 16 && value != 25) {
        return Fail("--size takes 9, 16 or 25, not " + std::to_string(value));
      }
      options->size = static_cast<long long>(value);
    } else if (arg == "--seed") {
      if (!TakeNumber(argc, argv, &i, &value)) return false;
      options->seedGiven = true;
      options->seed = value;
    } else if (arg == "--minimal") {
      options->minimal = true;
    } else if (arg == "--symmetric") {
      options->symmetric = true;
    } else if (arg == "--") {
      for (++i; i < argc; ++i) options->files.push_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Fail("'" + arg + "' is no option of --count or --generate");
    } else {
      options->files.push_back(arg);
    }
  }
  const bool generating = options->generate > 0;
  if (generating && options->countLimit > 0)
    return Fail("--generate and --count do not go together");
  if (generating && options->size == 0) return Fail("--generate needs --size 9, 16 or 25");
  if (generating && !options->files.empty()) return Fail("--generate reads no files");
  const bool makingOnly =
      options->size > 0 || options->seedGiven || options->minimal || options->symmetric;
  if (!generating && makingOnly) {
    return Fail("--size, --seed, --minimal and --symmetric go with --generate");
  }
  if (options->files.empty()) options->files.push_back("-");
  return true;
}

void Generate(const MakerOptions& options) {
  GenerateRun run{options.generate,
                  options.seed,
                  {static_cast<int>(options.size), options.minimal, options.symmetric}};
  if (!options.seedGiven) {
    run.seed = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    std::fprintf(stderr, "corvana-solve: --seed %llu\n", static_cast<unsigned long long>(run.seed));
  }
  RunGenerate(run, [](const MakerBoard&) {});
}

}  // namespace

bool WantsMaker(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : kMakerOptions) {
      if (std::strcmp(argv[i], option) == 0) return true;
    }
  }
  return false;
}

int RunMakerTool(int argc, char** argv) {
  MakerOptions options;
  if (!ParseMaker(argc, argv, &options)) {
    std::fputs(
        "usage: corvana-solve --count [LIMIT] [FILE ...]\n"
        "       corvana-solve --generate COUNT --size 9|16|25 [--seed S] [--minimal] "
        "[--symmetric]\n",
        stderr);
    return 2;
  }
  if (options.generate > 0) {
    Generate(options);
    return 0;
  }
  const long long limit = options.countLimit;
  const bool allValid = ForEachPuzzle(options.files, "invalid\n", [limit](const Puzzle& puzzle) {
    const std::string text = CountText(CountBoard(BoardOf(puzzle.data), limit), limit);
    std::printf("%s\n", text.c_str());
  });
  return allValid ? 0 : 2;
}
