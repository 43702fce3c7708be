// corvana-solve's conversions, which solve nothing: a text puzzle into an
// input-data file for the window, and any puzzle's clues back into text.
#pragma once

#include <string>
#include <vector>

// --write-cvn OUT [FILE]: the one puzzle of FILE ("-" for standard input) as
// an input-data file at OUT, written beside it and moved over it only when
// whole. Returns the exit status: 0, 2 for bad input, 1 when writing fails.
int WriteCvnCommand(const std::string& out, const std::string& file);

// --print-clues [FILE...]: the clues of each puzzle in the window's copy form,
// each followed by "--". Returns the exit status: 0, or 2 when any was refused.
int PrintCluesCommand(const std::vector<std::string>& files);
