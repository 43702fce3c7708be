#include "tools/maker_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "maker/explain.h"
#include "maker/maker.h"
#include "maker/rate.h"
#include "maker/svg.h"
#include "tools/maker_generate.h"
#include "tools/puzzle_input.h"
#include "tools/solve_options.h"

namespace {

// The options that turn corvana-solve into the maker's tool.
const char* const kMakerModes[] = {"--count", "--rate", "--explain", "--generate", "--svg"};

const char kUsage[] =
    "usage: corvana-solve --count [LIMIT] [FILE ...]\n"
    "       corvana-solve --rate [FILE ...]\n"
    "       corvana-solve --explain [FILE ...]\n"
    "       corvana-solve --generate COUNT --size 9|16|25 [--seed S] [--minimal]\n"
    "                     [--symmetric] [--grade GRADE]\n"
    "       any of them, or none, with --svg FILE\n"
    "--count prints each puzzle's number of solutions up to LIMIT (default 2);\n"
    "--rate its grade (easy, medium, hard, fiendish, diabolical) and a number that\n"
    "orders puzzles by difficulty; --explain the steps of the logical rules;\n"
    "--generate makes COUNT new puzzles with one solution, one a line: --minimal\n"
    "until no clue can go, --symmetric under a half turn, --grade of that grade only;\n"
    "the same --seed makes the same puzzles. --svg writes the run's puzzles as\n"
    "A4 pages to print: FILE, then FILE-2 and on before its extension.\n";

struct MakerOptions {
  long long countLimit = 0;  // --count's LIMIT; 0 without --count
  bool rate = false;
  bool explain = false;
  long long generate = 0;  // --generate's COUNT; 0 without --generate
  int size = 0;
  std::vector<uint64_t> seed;  // one when given
  bool minimal = false;
  bool symmetric = false;
  std::string grade;
  std::string svg;
  std::vector<std::string> files;
};

bool IsWholeNumber(const char* text) {
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

// --count's LIMIT may be left out; what follows is a file then. CLI11 wants
// to know that up front, so a bare --count is given its default here.
std::vector<std::string> WithCountLimit(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(argv[i]);
    if (args.back() == "--") {
      args.insert(args.end(), argv + i + 1, argv + argc);
      break;
    }
    if (args.back() == "--count" && !(i + 1 < argc && IsWholeNumber(argv[i + 1]))) {
      args.push_back("2");
    }
  }
  return args;
}

bool ParseMaker(int argc, char** argv, MakerOptions* options) {
  CLI::App app;
  SetUpOptionParser(&app);
  app.add_option("--count", options->countLimit)->check(CLI::Range(1LL, 1000000LL));
  app.add_flag("--rate", options->rate);
  app.add_flag("--explain", options->explain);
  app.add_option("--generate", options->generate)->check(CLI::Range(1LL, 1000000LL));
  app.add_option("--size", options->size);
  app.add_option("--seed", options->seed);
  app.add_flag("--minimal", options->minimal);
  app.add_flag("--symmetric", options->symmetric);
  app.add_option("--grade", options->grade);
  app.add_option("--svg", options->svg);
  app.add_option("files", options->files);
  std::vector<std::string> args = WithCountLimit(argc, argv);
  if (!OptionValuesPresent(app, args)) return false;
  std::reverse(args.begin(), args.end());  // CLI11 takes a vector back to front
  try {
    app.parse(args);
  } catch (const CLI::ParseError& error) {
    const std::string what = error.what();
    if (what.find("--count") != std::string::npos) {
      return RefuseOption("--count takes a LIMIT from 1 to 1000000");
    }
    if (what.find("--generate") != std::string::npos) {
      return RefuseOption("--generate takes a COUNT from 1 to 1000000");
    }
    return RefuseOption(what);
  }
  const std::vector<std::string> extras = app.remaining();
  for (size_t i = 0; i < extras.size(); ++i) {
    if (extras[i] != "--") return RefuseOption("unknown option '" + extras[i] + "'");
    options->files.insert(options->files.end(), extras.begin() + i + 1, extras.end());
    break;
  }
  const bool generating = options->generate > 0;
  const int modes = (options->countLimit > 0) + options->rate + options->explain + generating;
  if (modes > 1) return RefuseOption("--count, --rate, --explain and --generate go one at a time");
  const bool forMaking = options->size != 0 || !options->seed.empty() || options->minimal ||
                         options->symmetric || !options->grade.empty();
  if (!generating && forMaking) {
    return RefuseOption("--size, --seed, --minimal, --symmetric and --grade go with --generate");
  }
  if (generating) {
    if (options->size != 9 && options->size != 16 && options->size != 25) {
      return RefuseOption("--generate needs --size 9, 16 or 25");
    }
    GradeLevel level;
    if (!options->grade.empty() && !GradeOfWord(options->grade, &level)) {
      return RefuseOption("--grade takes " + std::string(GradeWords()) + ", not '" +
                          options->grade + "'");
    }
    if (!options->files.empty()) return RefuseOption("--generate reads no files");
  }
  if (options->files.empty()) options->files.push_back("-");
  return true;
}

// The boards of the run for --svg, each captioned with its place and grade.
std::vector<PageBoard> pageBoards;

void KeepForPage(const MakerBoard& puzzle) {
  const std::string number = std::to_string(pageBoards.size() + 1);
  pageBoards.push_back({puzzle, number + ". " + GradeWord(RatePuzzle(puzzle).level)});
}

// Page k of FILE goes to FILE itself for k = 1, else "-k" before the
// extension.
std::string PagePath(const std::string& file, size_t page) {
  if (page == 0) return file;
  const size_t slash = file.find_last_of('/');
  size_t dot = file.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = file.size();
  return file.substr(0, dot) + "-" + std::to_string(page + 1) + file.substr(dot);
}

bool WritePages(const std::string& file) {
  const std::vector<std::string> pages = SvgPages(pageBoards);
  for (size_t k = 0; k < pages.size(); ++k) {
    const std::string path = PagePath(file, k);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    const bool written =
        out != nullptr && std::fwrite(pages[k].data(), 1, pages[k].size(), out) == pages[k].size();
    if (out == nullptr || std::fclose(out) != 0 || !written) {
      std::fprintf(stderr, "corvana-solve: cannot write %s\n", Printable(path).c_str());
      return false;
    }
  }
  return true;
}

int Generate(const MakerOptions& options) {
  GenerateRun run{options.generate, 0, {options.size, options.minimal, options.symmetric}};
  if (options.seed.empty()) {
    run.seed = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    std::fprintf(stderr, "corvana-solve: --seed %llu\n", static_cast<unsigned long long>(run.seed));
  } else {
    run.seed = options.seed[0];
  }
  GradeLevel level = GradeLevel::kNone;
  const bool graded = !options.grade.empty() && GradeOfWord(options.grade, &level);
  const bool svg = !options.svg.empty();
  RunGenerate(run, [graded, level, svg](const MakerBoard& puzzle) {
    if (graded && RatePuzzle(puzzle).level != level) return false;
    if (svg) KeepForPage(puzzle);
    return true;
  });
  return svg && !WritePages(options.svg) ? 1 : 0;
}

}  // namespace

bool WantsMaker(int argc, char** argv) {
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    for (const char* mode : kMakerModes) {
      const size_t length = std::strlen(mode);
      if (std::strncmp(argv[i], mode, length) == 0 &&
          (argv[i][length] == '\0' || argv[i][length] == '=')) {
        return true;
      }
    }
  }
  return false;
}

void PrintMakerUsage(std::FILE* out) { std::fputs(kUsage, out); }

int RunMakerTool(int argc, char** argv) {
  MakerOptions options;
  if (!ParseMaker(argc, argv, &options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const MakerOptions& o = options;
  if (o.generate > 0) return Generate(o);
  const char* refused = o.explain ? "invalid\n--\n" : "invalid\n";
  const bool allValid = ForEachPuzzle(o.files, refused, [&o](const Puzzle& puzzle) {
    const MakerBoard puzzleBoard = BoardOf(puzzle.data);
    if (!o.svg.empty()) KeepForPage(puzzleBoard);
    if (o.rate) {
      std::printf("%s\n", GradeText(RatePuzzle(puzzleBoard)).c_str());
    } else if (o.explain) {
      std::printf("%s--\n", ExplainText(puzzleBoard).c_str());
    } else if (o.countLimit > 0) {
      std::printf("%s\n", CountText(CountBoard(puzzleBoard, o.countLimit), o.countLimit).c_str());
    }
  });
  if (!o.svg.empty() && !WritePages(o.svg)) return 1;
  return allValid ? 0 : 2;
}
