// A random user of the real Corvana.exe: starts the program, makes several
// hundred seeded random actions with the keyboard, the mouse, the menus and
// the clipboard, answers whatever box opens, and then checks that the
// program still responds, solves known puzzles of every size right (read
// back through Ctrl+C) and exits with code 0 when told to through its menu.
//
//   corvana_random_user [--seed N] [--actions N] [PROGRAM]
//
// PROGRAM is Corvana.exe beside this program by default. The seed comes from
// --seed, else CORVANA_RANDOM_USER_SEED ("time" for the clock), else 1; it is
// printed first. CORVANA_RANDOM_USER_BIG_PASTE=0 leaves out the pastes of
// megabytes of text. A failure prints every action that led to it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/win/random_user/session.h"
#include "tests/win/random_user/texts.h"

namespace {

struct Run {
  Session session;
  std::mt19937_64 random;
  std::vector<KnownPuzzle> puzzles;
  bool bigPaste = true;
  int size = 9;  // the board size as the user last saw it
  std::vector<std::string> log;
  std::map<std::string, int> boxCounts;
  std::string failure;
};

int BoardOffset(int size) { return (25 - size) * 20 / 2; }

// A click position inside cell (x, y), anywhere in its square.
POINT InCell(Run& run, int x, int y) {
  const int left = BoardOffset(run.size) + 10 + 20 * x;
  const int top = BoardOffset(run.size) + 10 + 20 * y;
  return {left + Uniform(run.random, 1, 18), top + Uniform(run.random, 1, 18)};
}

// The program's boxes since the last action go into the log under it.
void AnswerBoxes(Run& run, int noOrYes) {
  std::string stuck;
  for (const SeenBox& box : run.session.Dismiss(noOrYes, &stuck)) {
    std::string text = box.text;
    for (char& c : text) c = c == '\n' ? ' ' : c;
    run.log.push_back("      answered \"" + box.caption + "\": " + text);
    ++run.boxCounts[box.caption];
  }
  if (!stuck.empty() && run.failure.empty()) run.failure = stuck;
}

std::string MenuKeys(const std::string& keys) { return "menu " + keys; }

// A new board through the menu, seen through Ctrl+Shift+C: empty, of the
// size picked. A box that the solve left open may take the copy's keys.
std::string NewBoard(Run& run) {
  const int pick = Uniform(run.random, 0, 2);
  const char* keys[] = {"alt+s n Return", "alt+s n Down Return", "alt+s n Down Down Return"};
  run.session.Keys(keys[pick]);
  const int size = pick == 0 ? 9 : pick == 1 ? 16 : 25;
  run.size = size;
  const std::string done =
      MenuKeys(keys[pick]) + " (new " + std::to_string(size) + "x" + std::to_string(size) + ")";
  std::string text;
  std::vector<int> cells;
  int copied = 0;
  if (!run.session.Copy(true, 3000, &text)) return done + ", no copy of it";
  if (!ParseBoard(text, &copied, &cells) || copied != size ||
      std::count(cells.begin(), cells.end(), 0) != size * size) {
    run.failure = "the new board is not an empty " + std::to_string(size) + "x" +
                  std::to_string(size) + " one: \"" + text.substr(0, 300) + "\"";
  }
  return done + ", copied empty";
}

std::string Digit(Run& run) {
  const int digit = Uniform(run.random, 0, 9);
  const std::string key = (Uniform(run.random, 0, 3) == 0 ? "KP" : "") + std::to_string(digit);
  run.session.Keys(key);
  return "key " + key;
}

std::string Arrow(Run& run) {
  const char* arrows[] = {"Left", "Up", "Right", "Down"};
  std::string keys;
  const int count = Uniform(run.random, 1, 4);
  for (int i = 0; i < count; ++i) keys += std::string(i > 0 ? " " : "") + arrows[run.random() % 4];
  run.session.Keys(keys);
  return "keys " + keys;
}

std::string LeftClick(Run& run) {
  if (Uniform(run.random, 0, 9) == 0) {
    // Beside the board, where no cell is.
    run.session.Click(Uniform(run.random, 0, 5), Uniform(run.random, 0, 500), false);
    return "left click beside the board";
  }
  const int x = Uniform(run.random, 0, run.size - 1);
  const int y = Uniform(run.random, 0, run.size - 1);
  const POINT p = InCell(run, x, y);
  run.session.Click(p.x, p.y, false);
  return "left click on cell (" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

// A right click opens the digit pop-up; the user then picks with the keys a
// digit of one of its groups, "Cancel", or nothing.
std::string RightClick(Run& run) {
  const int x = Uniform(run.random, 0, run.size - 1);
  const int y = Uniform(run.random, 0, run.size - 1);
  const POINT p = InCell(run, x, y);
  run.session.Click(p.x, p.y, true);
  Wait(100);
  std::string keys;
  switch (Uniform(run.random, 0, 2)) {
    case 0:
      keys = "Escape Escape";
      break;
    case 1:
      keys = "Up Return";
      break;
    default:
      for (int i = Uniform(run.random, 1, 5); i > 0; --i) keys += "Down ";
      keys += "Right";
      for (int i = Uniform(run.random, 0, 4); i > 0; --i) keys += " Down";
      keys += " Return";
      break;
  }
  run.session.Keys(keys);
  return "right click on cell (" + std::to_string(x) + ", " + std::to_string(y) +
         "), in the pop-up: " + keys;
}

std::string Menu(Run& run, const char* keys, const char* what) {
  run.session.Keys(keys);
  return MenuKeys(keys) + " (" + what + ")";
}

std::string PasteText(Run& run, const std::wstring& text, const std::string& what) {
  if (!run.session.PutText(text)) return "the clipboard could not be written: skipped " + what;
  run.session.Keys("ctrl+v");
  return "ctrl+v of " + what;
}

std::string PastePuzzle(Run& run) {
  const KnownPuzzle& puzzle =
      run.puzzles[static_cast<size_t>(Uniform(run.random, 0, int(run.puzzles.size()) - 1))];
  const int form = Uniform(run.random, 0, 2);
  const std::string what = "\"" + puzzle.title + "\" (form " + std::to_string(form) + ")";
  run.size = puzzle.size;
  return PasteText(run, PuzzleText(puzzle, form), what);
}

std::string PasteGarbage(Run& run) {
  const Garbage garbage = MakeGarbage(run.random, run.puzzles);
  if (!garbage.isAnsi) return PasteText(run, garbage.text, garbage.kind);
  if (!run.session.PutAnsi(garbage.ansi)) return "the clipboard could not be written";
  run.session.Keys("ctrl+v");
  return "ctrl+v of " + garbage.kind + " (" + std::to_string(garbage.ansi.size()) + ")";
}

std::string PasteBlank(Run& run) {
  if (Uniform(run.random, 0, 1) == 0) {
    run.session.PutNothing();
    run.session.Keys("ctrl+v");
    return "ctrl+v of an empty clipboard";
  }
  const std::wstring blank = MakeBlank(run.random);
  return PasteText(run, blank, "blank text of " + std::to_string(blank.size()) + " characters");
}

std::string PasteHuge(Run& run) {
  const Garbage huge = MakeHuge(run.random, run.puzzles);
  if (!run.bigPaste) return "(left out: " + huge.kind + ")";
  const std::string done = PasteText(run, huge.text, huge.kind);
  // Reading megabytes takes a moment; the next action waits for it.
  run.session.Responds(60000);
  return done;
}

std::string CopyBoard(Run& run) {
  const bool cluesOnly = Uniform(run.random, 0, 2) == 0;
  std::string text;
  const std::string what = cluesOnly ? "ctrl+shift+c" : "ctrl+c";
  if (!run.session.Copy(cluesOnly, 3000, &text)) {
    // A box that opened meanwhile takes the keys, as it would a person's.
    const size_t before = run.log.size();
    AnswerBoxes(run, IDNO);
    if (run.log.size() == before && run.failure.empty()) {
      run.failure = what + " put nothing on the clipboard within 3 s";
    }
    return what + " (no copy)";
  }
  std::vector<int> cells;
  if (!ParseBoard(text, &run.size, &cells)) {
    run.failure = what + " copied no board: \"" + text.substr(0, 300) + "\"";
  }
  return what + " (a " + std::to_string(run.size) + "x" + std::to_string(run.size) + " board)";
}

std::string Pause(Run& run) {
  const int ms = Uniform(run.random, 100, 1500);
  Wait(static_cast<DWORD>(ms));
  return "wait " + std::to_string(ms) + " ms";
}

struct Action {
  int weight;
  std::function<std::string(Run&)> act;
};

const std::vector<Action>& Actions() {
  static const std::vector<Action> actions = {
      {14, Digit},
      {10, Arrow},
      {3, [](Run& run) { return run.session.Keys("space"), std::string("key space"); }},
      {10, LeftClick},
      {4, RightClick},
      {5, NewBoard},
      {9, [](Run& run) { return Menu(run, "alt+r a", "start search / next solution"); }},
      {3, [](Run& run) { return Menu(run, "alt+r b", "stop search"); }},
      {2, [](Run& run) { return Menu(run, "alt+c a", "clear all"); }},
      {3, [](Run& run) { return Menu(run, "alt+c b", "clear all but the clues"); }},
      {2, [](Run& run) { return Menu(run, "alt+p Return", "show progress"); }},
      {2, [](Run& run) { return Menu(run, "alt+p Down Return", "hide progress"); }},
      {2, [](Run& run) { return Menu(run, "alt+h a", "about"); }},
      {1, [](Run& run) { return Menu(run, "alt+s e", "exit, answered No"); }},
      {7, PastePuzzle},
      {5, PasteGarbage},
      {2, PasteBlank},
      {1, PasteHuge},
      {6, CopyBoard},
      {3, Pause},
  };
  return actions;
}

const Action& PickAction(Run& run) {
  int total = 0;
  for (const Action& action : Actions()) total += action.weight;
  int pick = Uniform(run.random, 0, total - 1);
  for (const Action& action : Actions()) {
    if (pick < action.weight) return action;
    pick -= action.weight;
  }
  return Actions().back();
}

// After every action: the program runs, its window answers, no box is left.
void CheckAlive(Run& run) {
  if (!run.session.Alive()) {
    DWORD code = 0;
    run.session.WaitForExit(0, &code);
    run.failure = "the program ended, exit code " + std::to_string(code);
    return;
  }
  if (!run.session.Responds(15000)) {
    run.failure = "the window does not respond within 15 s";
    return;
  }
  AnswerBoxes(run, IDNO);
}

std::string BoardText(const std::vector<int>& cells) {
  std::string text;
  for (int v : cells) text += std::to_string(v) + " ";
  return text;
}

// The known puzzle of `size` pasted, solved through the menu and read back:
// the board the window shows must be the puzzle's solution.
void SolveKnown(Run& run, int size) {
  const KnownPuzzle* known = nullptr;
  for (const KnownPuzzle& puzzle : run.puzzles) {
    if (puzzle.size == size && puzzle.unique && known == nullptr) known = &puzzle;
  }
  run.log.push_back("check: paste \"" + known->title + "\", solve it, copy the board");
  run.session.Focus();
  if (!run.session.PutText(PuzzleText(*known, 0))) {
    run.failure = "the clipboard could not be written";
    return;
  }
  run.session.Keys("ctrl+v");
  std::string text;
  std::vector<int> cells;
  int copiedSize = 0;
  if (!run.session.Copy(true, 5000, &text) || !ParseBoard(text, &copiedSize, &cells) ||
      cells != known->clues) {
    AnswerBoxes(run, IDNO);
    run.failure =
        "the pasted puzzle \"" + known->title + "\" is not on the board: \"" + text + "\"";
    return;
  }
  run.session.Keys("alt+r a");
  const DWORD start = GetTickCount();
  for (;;) {
    Wait(200);
    if (run.session.Copy(false, 3000, &text) && ParseBoard(text, &copiedSize, &cells) &&
        cells == known->firstAnswer) {
      return;
    }
    if (GetTickCount() - start > 60000 || !run.session.Alive()) break;
  }
  AnswerBoxes(run, IDNO);
  run.failure = "\"" + known->title + "\" was not solved right within 60 s; the board shows " +
                BoardText(cells);
}

void FinalCheck(Run& run) {
  run.session.Focus();
  run.session.Keys("alt+r b");
  CheckAlive(run);
  for (int size : {9, 16, 25}) {
    if (run.failure.empty()) SolveKnown(run, size);
    if (run.failure.empty()) CheckAlive(run);
  }
  if (!run.failure.empty()) return;
  run.log.push_back("check: menu alt+s e (exit), answered Yes");
  run.session.Keys("alt+s e");
  Wait(200);
  AnswerBoxes(run, IDYES);
  DWORD code = 0;
  if (!run.session.WaitForExit(15000, &code)) {
    run.failure = "the program did not end within 15 s of the exit";
  } else if (code != 0) {
    run.failure = "the program ended with exit code " + std::to_string(code);
  }
}

uint64_t ChooseSeed(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seed") == 0) return std::strtoull(argv[i + 1], nullptr, 10);
  }
  const char* seed = std::getenv("CORVANA_RANDOM_USER_SEED");
  if (seed == nullptr || *seed == '\0') return 1;
  if (std::strcmp(seed, "time") == 0) return GetTickCount64() ^ GetCurrentProcessId();
  return std::strtoull(seed, nullptr, 10);
}

int ActionCount(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--actions") == 0) return std::atoi(argv[i + 1]);
  }
  const char* count = std::getenv("CORVANA_RANDOM_USER_ACTIONS");
  return count != nullptr && *count != '\0' ? std::atoi(count) : 400;
}

std::string ProgramPath(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') {
      ++i;
      continue;
    }
    return argv[i];
  }
  char module[MAX_PATH];
  std::string path(module, GetModuleFileNameA(nullptr, module, MAX_PATH));
  return path.substr(0, path.find_last_of("\\/") + 1) + "Corvana.exe";
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t seed = ChooseSeed(argc, argv);
  const int count = ActionCount(argc, argv);
  std::printf("random-user: seed %llu, %d actions (CORVANA_RANDOM_USER_SEED=%llu to repeat)\n",
              static_cast<unsigned long long>(seed), count, static_cast<unsigned long long>(seed));
  std::fflush(stdout);
  Run run;
  run.random.seed(seed);
  const char* big = std::getenv("CORVANA_RANDOM_USER_BIG_PASTE");
  run.bigPaste = big == nullptr || std::strcmp(big, "0") != 0;
  std::string error;
  if (!LoadPuzzles(std::string(CORVANA_TEST_DATA) + "/corpus.txt", &run.puzzles, &error) ||
      !run.session.Start(ProgramPath(argc, argv), &error)) {
    std::printf("random-user: FAIL: %s\n", error.c_str());
    return 1;
  }
  const DWORD start = GetTickCount();
  for (int i = 1; i <= count && run.failure.empty(); ++i) {
    run.session.Focus();
    const std::string done = PickAction(run).act(run);
    run.log.push_back("  #" + std::to_string(i) + " " + done);
    Wait(30);
    if (run.failure.empty()) CheckAlive(run);
  }
  if (run.failure.empty()) FinalCheck(run);
  const double seconds = (GetTickCount() - start) / 1000.0;
  std::string boxes;
  for (const auto& [caption, n] : run.boxCounts) {
    boxes += " \"" + caption + "\" " + std::to_string(n);
  }
  const char* verbose = std::getenv("CORVANA_RANDOM_USER_VERBOSE");
  if (!run.failure.empty() || (verbose != nullptr && std::strcmp(verbose, "1") == 0)) {
    std::printf("random-user: the actions of seed %llu, in order:\n",
                static_cast<unsigned long long>(seed));
    for (const std::string& line : run.log) std::printf("%s\n", line.c_str());
  }
  if (!run.failure.empty()) {
    std::printf("random-user: FAIL after %zu log lines (%.0f s): %s\n", run.log.size(), seconds,
                run.failure.c_str());
    return 1;
  }
  std::printf("random-user: passed in %.0f s; boxes answered:%s\n", seconds, boxes.c_str());
  return 0;
}
