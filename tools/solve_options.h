// corvana-solve's command line: what each option asks for, read with CLI11.
// A new option is one field here and one line in ParseOptions.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace CLI {
class App;
}

struct Options {
  int solutions = 1;
  bool propagate = false;
  bool stats = false;
  bool printClues = false;
  std::string writeCvn;  // the output file of --write-cvn, empty without it
  bool worker = false;
  std::vector<std::string> files;  // "-" for standard input when none is named
};

enum class ParseResult { kRun, kHelp, kRefused };

// Reads the arguments into *options. kRefused has written its reason to
// standard error; kHelp asks for the usage on standard output.
ParseResult ParseOptions(int argc, char** argv, Options* options);

void PrintUsage(std::FILE* out);

// The parser's ways for both command lines: no help flag of its own, unknown
// arguments left for the caller to report, the last of a repeated option.
void SetUpOptionParser(CLI::App* app);

// "corvana-solve: why" on standard error; false.
bool RefuseOption(const std::string& why);

// False, with "X needs a value" on standard error, when an option of app that
// takes a value has none in args (argv without the program, up to "--"), or
// another option in its place: CLI11 would take that as the value, and
// "--write-cvn --worker" would write a file named "--worker".
bool OptionValuesPresent(const CLI::App& app, const std::vector<std::string>& args);
