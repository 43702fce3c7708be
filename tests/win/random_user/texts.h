// What the random user puts on the clipboard: the puzzles of tests/data in
// the forms people paste them, and text that is no puzzle at all.
#pragma once

#include <random>
#include <string>
#include <vector>

struct KnownPuzzle {
  std::string title;
  int size = 0;                  // 9, 16 or 25
  std::vector<int> clues;        // reading order, 0 empty
  std::vector<int> firstAnswer;  // the first solution, empty when there is none
  bool unique = false;           // the first solution is the only one
};

// The puzzles of tests/data/corpus.txt, with their expected first solutions.
bool LoadPuzzles(const std::string& path, std::vector<KnownPuzzle>* puzzles, std::string* error);

// The cells of a board as the program copies it (81 characters, or N lines
// of N numbers); false when the text is no board of 9, 16 or 25.
bool ParseBoard(const std::string& text, int* size, std::vector<int>* cells);

// A puzzle as text, one of several forms by `form`: one line, rows, rows with
// '.' or 0 for an empty cell.
std::wstring PuzzleText(const KnownPuzzle& puzzle, int form);

struct Garbage {
  std::string kind;   // for the log
  std::wstring text;  // the text, or
  std::string ansi;   // ANSI bytes (code page 932) when `isAnsi`
  bool isAnsi = false;
};

// Text that is no single puzzle: random characters, a puzzle with a bad cell
// or a wrong count, two puzzles, control characters, ANSI bytes.
Garbage MakeGarbage(std::mt19937_64& random, const std::vector<KnownPuzzle>& puzzles);
// Nothing to read: an empty string, blank lines and spaces.
std::wstring MakeBlank(std::mt19937_64& random);
// Megabytes of text: a puzzle drowned in blank lines, digits without end,
// thousands of puzzles, Japanese prose.
Garbage MakeHuge(std::mt19937_64& random, const std::vector<KnownPuzzle>& puzzles);

// A number in [low, high].
int Uniform(std::mt19937_64& random, int low, int high);
