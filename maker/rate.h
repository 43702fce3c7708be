// How hard a puzzle is, by what it takes: the program's five logical rules
// in three steps (singles; with pointing and claiming; with naked subsets),
// or else a search whose size is measured by a fixed depth-first walk. Every
// figure is counted in whole numbers on one thread, so a board gets the same
// grade on every run, build and platform. One call at a time (maker.h).
#pragma once

#include <cstdint>
#include <string>

#include "maker/maker.h"

// From the easiest up; kNone and kSeveral are for boards that are no puzzle.
enum class GradeLevel {
  kEasy,        // naked and hidden singles alone
  kMedium,      // singles with pointing and claiming
  kHard,        // all five rules: naked subsets too
  kFiendish,    // the rules stall; a short search finishes it
  kDiabolical,  // a long search
  kNone,        // no solution
  kSeveral,     // more than one solution
};

// A search stops after kMostSearch decisions and backtracks together: the
// grade is then diabolical at that figure, marked as cut short.
constexpr int64_t kMostSearch = 100000;

struct Grade {
  GradeLevel level;
  // Orders puzzles of one size from easy to hard. The rules alone: 100, 200
  // or 300 for easy, medium or hard, plus the passes over the board that
  // placed digits (at most 99). A search: 1000 plus its decisions and
  // backtracks, at most 1000 + kMostSearch. 0 for kNone and kSeveral.
  int64_t number;
  // The search's guesses, and those it took back; 0 when the rules solve
  // the board.
  int64_t decisions;
  int64_t backtracks;
  bool cutShort;  // the search met kMostSearch
};

// Microseconds for a board the rules solve; a search costs about 3 us a node
// on 9x9 and 35 us on 25x25, so up to some seconds at kMostSearch.
Grade RatePuzzle(const MakerBoard& board);

// "easy", "medium", "hard", "fiendish", "diabolical", "none", "several".
const char* GradeWord(GradeLevel level);

// The level a grade word names (one of the five puzzle grades); false for
// any other word.
bool GradeOfWord(const std::string& word, GradeLevel* level);

// The five puzzle grade words in order, comma-separated, for messages.
const char* GradeWords();

// What --rate prints: "hard 303", "fiendish 1012 (5 decisions, 7 backtracks)",
// "diabolical 101000+ (...)" when cut short, "none", "several".
std::string GradeText(const Grade& grade);
