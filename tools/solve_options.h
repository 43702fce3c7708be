// corvana-solve's command line: what each option asks for, read with CLI11.
// A new option is one field here and one line in ParseOptions.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

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
