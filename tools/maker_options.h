// corvana-solve's options for people who make puzzles (--count, --rate,
// --explain, --generate, --svg), parsed
// apart from the solve's own and handed to corvana_maker.
#pragma once

#include <cstdio>

// Whether the command line asks for one of the maker's options.
bool WantsMaker(int argc, char** argv);

// Runs the maker's command line: 0, or 2 for bad arguments or bad puzzles.
int RunMakerTool(int argc, char** argv);

// The maker's part of the usage, for --help.
void PrintMakerUsage(std::FILE* out);
