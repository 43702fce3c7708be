#include "tools/solve_options.h"

#include <CLI/CLI.hpp>
#include <cstdio>

void PrintUsage(std::FILE* out) {
  std::fputs(
      "usage: corvana-solve [--solutions K] [--propagate] [--stats] [--worker] [FILE ...]\n"
      "       corvana-solve --write-cvn OUT [FILE]\n"
      "       corvana-solve --print-clues [FILE ...]\n"
      "Solves each puzzle of the files (standard input for none or '-'): an input-data\n"
      "file, or text puzzles one after another: 81 characters with '.' or '0' for an\n"
      "empty cell, a drawn 9x9 grid, rows in groups like '530 070 000', N*N numbers\n"
      "0..N (N = 9, 16, 25) on one line or in rows, 16x16 with A-G for 10-16, 25x25\n"
      "with A-Y for 1-25. Prints the board after each of K starts, 'none' when there\n"
      "is no further solution, 'conflict X1 Y1 X2 Y2' for clashing clues, and '--'\n"
      "after each puzzle, each as soon as it is known.\n"
      "--write-cvn writes the one puzzle of FILE as an input-data file OUT;\n"
      "--print-clues prints the clues of each puzzle as the window copies them.\n"
      "--worker runs each start on a solve worker thread, as the window does.\n",
      out);
}

bool RefuseOption(const std::string& why) {
  std::fprintf(stderr, "corvana-solve: %s\n", why.c_str());
  return false;
}

void SetUpOptionParser(CLI::App* app) {
  app->set_help_flag();
  app->allow_extras();  // reported in our own words
  // On Windows too a word that starts with '/' is a file (/data/puzzles.txt),
  // never an option.
  app->allow_windows_style_options(false);
  app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

bool OptionValuesPresent(const CLI::App& app, const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
    const CLI::Option* option = args[i][0] == '-' ? app.get_option_no_throw(args[i]) : nullptr;
    if (option == nullptr || option->get_items_expected_min() == 0) continue;
    if (i + 1 == args.size() || args[i + 1].empty() ||
        app.get_option_no_throw(args[i + 1]) != nullptr) {
      return RefuseOption(args[i] + " needs a value");
    }
    ++i;
  }
  return true;
}

namespace {

// The rules between options that CLI11 does not state.
bool CheckTogether(const Options& options) {
  if (!options.writeCvn.empty() && options.files.size() > 1) {
    return RefuseOption("--write-cvn reads one file");
  }
  if (!options.writeCvn.empty() && options.printClues) {
    return RefuseOption("--write-cvn and --print-clues do not go together");
  }
  return true;
}

}  // namespace

ParseResult ParseOptions(int argc, char** argv, Options* options) {
  CLI::App app;
  SetUpOptionParser(&app);
  bool help = false;
  app.add_flag("-h,--help", help);
  app.add_option("--solutions", options->solutions)->check(CLI::Range(1, 1000000));
  app.add_flag("--propagate", options->propagate);
  app.add_flag("--stats", options->stats);
  app.add_flag("--print-clues", options->printClues);
  app.add_option("--write-cvn", options->writeCvn);
  app.add_flag("--worker", options->worker);
  app.add_option("files", options->files);
  if (!OptionValuesPresent(app, std::vector<std::string>(argv + 1, argv + argc))) {
    return ParseResult::kRefused;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const std::string what = error.what();
    RefuseOption(what.find("--solutions") != std::string::npos
                     ? "--solutions takes a whole number from 1 up"
                     : what);
    return ParseResult::kRefused;
  }
  if (help) return ParseResult::kHelp;
  // What CLI11 left: files after "--", or options it does not know.
  const std::vector<std::string> extras = app.remaining();
  for (size_t i = 0; i < extras.size(); ++i) {
    if (extras[i] != "--") {
      RefuseOption("unknown option '" + extras[i] + "'");
      return ParseResult::kRefused;
    }
    options->files.insert(options->files.end(), extras.begin() + i + 1, extras.end());
    break;
  }
  if (options->files.empty()) options->files.push_back("-");
  return CheckTogether(*options) ? ParseResult::kRun : ParseResult::kRefused;
}
