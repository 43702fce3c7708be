// Puzzles in and out of the real window: paste from the clipboard (the test
// puts the text there as another program would), copy read back from it,
// files dropped with a real HDROP, the command line, refusals that keep the
// board, and paste and copy while a solve runs. The tests that use the
// clipboard, which every program on the display shares, run one at a time.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>
#include <shlobj.h>  // DROPFILES

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/puzzle_io.h"
#include "file/input_data.h"
#include "file/puzzle_text.h"
#include "solver/board.h"
#include "tests/win/window_fixture.h"

namespace {

constexpr COLORREF kRed = 0x0000FF;

// top95 #1, and a board with two solutions (the first of them below).
const char kTop95[] =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
const char kTwoSolutions[] =
    "4.7.6.8.5..2.58..79.8...3.682..37......5.6.3.3.69127.8.8..435.....291.8.1.48.529.";
const char kFirstSolution[] =
    "417369825632158947958724316825437169791586432346912758289643571573291684164875293";

struct Layers {
  int32_t gridSize;
  int32_t given[kMaxGridSize][kMaxGridSize];
  int32_t fixed[kMaxGridSize][kMaxGridSize];
  int32_t shown[kMaxGridSize][kMaxGridSize];
};

Layers Snapshot() {
  Layers layers;
  layers.gridSize = board.gridSize;
  std::memcpy(layers.given, board.given, sizeof layers.given);
  std::memcpy(layers.fixed, board.fixed, sizeof layers.fixed);
  std::memcpy(layers.shown, board.shown, sizeof layers.shown);
  return layers;
}

bool SameLayers(const Layers& a, const Layers& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The clues of a 9x9 line in all three layers, and nothing else.
void ExpectNineBoard(const char* line) {
  ASSERT_EQ(board.gridSize, 9);
  for (int i = 0; i < 81; ++i) {
    const int v = line[i] == '.' ? 0 : line[i] - '0';
    ASSERT_EQ(board.given[i % 9][i / 9], v) << i;
    ASSERT_EQ(board.fixed[i % 9][i / 9], v) << i;
    ASSERT_EQ(board.shown[i % 9][i / 9], v) << i;
  }
}

std::string ReadTestFile(const char* name) {
  std::ifstream in(std::string(CORVANA_TEST_DATA) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first line of a file that is neither blank nor a comment.
std::string FirstPuzzleLine(const std::string& content) {
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    const std::string line = content.substr(start, end - start);
    if (!line.empty() && line[0] != '#') return line;
    start = end + 1;
  }
  return "";
}

class PuzzleIoTest : public FolderWindowTest {
 protected:
  PuzzleIoTest() : FolderWindowTest("corvana-puzzle-io") {}

  std::string WriteTemp(const char* name, const std::string& bytes) {
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // A key with Ctrl and Shift held as the keyboard state says.
  void KeyWith(bool control, bool shift, UINT key) {
    BYTE saved[256];
    GetKeyboardState(saved);
    BYTE state[256];
    std::memcpy(state, saved, sizeof state);
    state[VK_CONTROL] = control ? 0x80 : 0;
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    Key(key);
    SetKeyboardState(saved);
  }
  void Paste() { KeyWith(true, false, 'V'); }

  void PutClipboard(UINT format, const void* bytes, size_t size) {
    ASSERT_TRUE(OpenClipboard(window_));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
    SetClipboardData(format, memory);
    CloseClipboard();
  }
  void PutUnicode(const std::wstring& text) {
    PutClipboard(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }
  void PutAnsi(const std::string& text) { PutClipboard(CF_TEXT, text.c_str(), text.size() + 1); }

  std::string ClipboardUnicodeAsAscii() {
    std::string text;
    if (!OpenClipboard(window_)) return "(clipboard busy)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      for (const wchar_t* c = static_cast<const wchar_t*>(GlobalLock(data)); *c != 0; ++c) {
        text += *c < 0x80 ? static_cast<char>(*c) : '?';
      }
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }

  // Posts WM_DROPFILES with a drop of the files, as the shell makes it.
  void Drop(const std::string& path, const std::string& second = "") {
    std::wstring wide(path.begin(), path.end());
    if (!second.empty()) wide += L'\0' + std::wstring(second.begin(), second.end());
    const size_t size = sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), wide.c_str(),
                wide.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    PostMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    PumpMessages();
  }
};

TEST_F(PuzzleIoTest, ClipboardPasteStartsABoardOfTheTextsSize) {
  NewBoard(16);
  PutUnicode(std::wstring(kTop95, kTop95 + 81) + L"\r\n");
  Paste();
  EXPECT_TRUE(watcher_->TakeSeen().empty());
  ExpectNineBoard(kTop95);
  EXPECT_TRUE(IsChecked(300));
  EXPECT_FALSE(IsChecked(301));
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_GT(CountInCell(0, 0, kRed), 3);  // the clue 4 drawn red
  EXPECT_EQ(CountInCell(1, 0, kRed), 0);

  // Shift+Insert, ANSI text only: a 25x25 board in letters.
  std::string letters(625, '.');
  letters[0] = 'Y';
  letters[624] = 'a';  // the last cell
  PutAnsi(letters);
  KeyWith(false, true, VK_INSERT);
  EXPECT_TRUE(watcher_->TakeSeen().empty());
  ASSERT_EQ(board.gridSize, 25);
  EXPECT_TRUE(IsChecked(302));
  EXPECT_EQ(board.given[0][0], 25);
  EXPECT_EQ(board.shown[24][24], 1);
  EXPECT_EQ(board.given[1][0], 0);
}

TEST_F(PuzzleIoTest, ClipboardRefusalSaysWhereAndKeepsTheBoard) {
  EnterClue(3, 4, 7);
  const Layers before = Snapshot();
  PutUnicode(L"4.....8.5\r\n.3.....?.\r\n");
  Paste();
  auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].owner, window_);
  EXPECT_EQ(seen[0].caption, "Cannot Paste");
  EXPECT_NE(seen[0].text.find("2 行 8 文字目"), std::string::npos) << seen[0].text;
  EXPECT_NE(seen[0].text.find("「?」"), std::string::npos) << seen[0].text;
  EXPECT_TRUE(SameLayers(Snapshot(), before));
  EXPECT_TRUE(IsChecked(300));

  // No text at all.
  ASSERT_TRUE(OpenClipboard(window_));
  EmptyClipboard();
  CloseClipboard();
  Paste();
  seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Cannot Paste");
  EXPECT_TRUE(SameLayers(Snapshot(), before));
}

// Of the clipboard's text only the first 64 KB are looked at; a text cut
// there says so in whatever message the paste shows.
TEST_F(PuzzleIoTest, ClipboardPasteLooksAtTheFirst64KbAndSaysWhenItCut) {
  const std::string cut = "先頭 64 KB より後のテキストは無視しました。";
  const std::string top95 = std::string(kTop95) + "\r\n";
  const std::string huge(3 << 20, 'x');
  struct Case {
    UINT format;
    std::string text;  // the block as ASCII, widened for CF_UNICODETEXT
    const char* board;
    const char* caption;  // of the one message
    std::string message;
  };
  const Case cases[] = {
      {CF_TEXT, top95 + huge, kTop95, "Long Text", "最初のパズルを読み込みました。\n" + cut},
      {CF_UNICODETEXT, top95 + huge, kTop95, "Long Text", "最初のパズルを読み込みました。\n" + cut},
      {CF_TEXT, top95 + kTwoSolutions + "\r\n" + huge, kTop95, "Several Puzzles",
       "パズルが複数あります。\n最初のパズルを読み込みました。\n" + cut},
      {CF_TEXT, std::string(70000, '\n') + kTop95, nullptr, "Cannot Paste",
       "貼り付けたテキストはパズルとして読めません。\nパズルが見つかりません。\n" + cut},
      // Exactly the limit, then the zero: nothing was cut.
      {CF_UNICODETEXT, std::string(32766, '\n') + "\r\n", nullptr, "Cannot Paste",
       "貼り付けたテキストはパズルとして読めません。\nパズルが見つかりません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 90) + " (" + std::to_string(c.text.size()) + " characters)");
    NewBoard(16);
    const Layers before = Snapshot();
    if (c.format == CF_TEXT) {
      PutAnsi(c.text);
    } else {
      PutUnicode(std::wstring(c.text.begin(), c.text.end()));
    }
    Paste();
    const auto seen = watcher_->TakeSeen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, c.caption);
    EXPECT_EQ(seen[0].text, c.message);
    if (c.board != nullptr) {
      ExpectNineBoard(c.board);
    } else {
      EXPECT_TRUE(SameLayers(Snapshot(), before));
    }
  }
}

// Another window holds the clipboard open: the paste says the clipboard could
// not be opened, not that it holds no text.
TEST_F(PuzzleIoTest, ClipboardHeldOpenElsewhereIsReportedAsSuch) {
  PutAnsi(kTop95);
  EnterClue(3, 4, 7);
  const Layers before = Snapshot();
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool held = false;
  std::thread other([&] {
    held = OpenClipboard(nullptr) != 0;
    SetEvent(opened);
    WaitForSingleObject(done, 10000);
    if (held) CloseClipboard();
  });
  WaitForSingleObject(opened, 10000);
  Paste();
  SetEvent(done);
  other.join();
  CloseHandle(opened);
  CloseHandle(done);
  ASSERT_TRUE(held);
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Cannot Paste");
  EXPECT_EQ(seen[0].text, "クリップボードを開けませんでした。");
  EXPECT_TRUE(SameLayers(Snapshot(), before));
}

TEST_F(PuzzleIoTest, ClipboardPasteOfSeveralPuzzlesTakesTheFirstAndSaysSo) {
  PutAnsi(std::string(kTwoSolutions) + "\r\n" + kTop95 + "\r\n");
  Paste();
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Several Puzzles");
  ExpectNineBoard(kTwoSolutions);
}

TEST_F(PuzzleIoTest, ClipboardCopyOfTheShownBoardAndOfTheClues) {
  PutAnsi(kTwoSolutions);
  Paste();
  Command(500);
  WaitForSolve();
  ASSERT_EQ(board.solutionShown, 1);
  KeyWith(true, false, 'C');
  EXPECT_EQ(ClipboardUnicodeAsAscii(), std::string(kFirstSolution) + "\r\n");
  EXPECT_EQ(board.solutionShown, 1) << "copying changes nothing";
  KeyWith(true, true, 'C');
  EXPECT_EQ(ClipboardUnicodeAsAscii(), std::string(kTwoSolutions) + "\r\n");

  // 16x16: sixteen lines of sixteen numbers, and pasted back the same board.
  NewBoard(16);
  EnterClue(0, 0, 16);
  EnterClue(15, 0, 10);
  EnterClue(2, 15, 3);
  KeyWith(true, true, 'C');
  const std::string copied = ClipboardUnicodeAsAscii();
  EXPECT_EQ(copied.substr(0, 36), "16 0 0 0 0 0 0 0 0 0 0 0 0 0 0 10\r\n0");
  EXPECT_EQ(copied.substr(copied.size() - 33), "0 0 3 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n");
  const Layers before = Snapshot();
  NewBoard(9);
  Paste();
  EXPECT_TRUE(SameLayers(Snapshot(), before));
}

TEST_F(PuzzleIoTest, ClipboardDuringASolveCopyLeavesItPasteStopsIt) {
  const std::string hardest = FirstPuzzleLine(ReadTestFile("search_hardest_25x25.txt"));
  ASSERT_GT(hardest.size(), 625u);
  PutAnsi(hardest);
  Paste();
  ASSERT_EQ(board.gridSize, 25);
  Command(500);
  ASSERT_EQ(board.searchStopped.load(), 0) << "the hardest puzzle takes seconds";
  KeyWith(true, true, 'C');
  EXPECT_EQ(board.searchStopped.load(), 0) << "copy leaves the solve running";
  const std::string clues = ClipboardUnicodeAsAscii();
  EXPECT_EQ(std::count(clues.begin(), clues.end(), '\n'), 25);
  std::string joined;  // the copy's 25 lines as the file's one
  for (char c : clues) {
    if (c != '\r') joined += c == '\n' ? ' ' : c;
  }
  joined.pop_back();
  EXPECT_EQ(joined, hardest.substr(0, hardest.find_last_not_of(" \r") + 1));

  PutAnsi(kTop95);
  Paste();
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_FALSE(IsStartGreyed());
  ExpectNineBoard(kTop95);
  EXPECT_TRUE(watcher_->TakeSeen().empty());
}

TEST_F(PuzzleIoTest, DroppedFilesOpenLikeTheLoadCommand) {
  EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  // A text file in the forum layout.
  Drop(WriteTemp("grid.txt",
                 "*-----------*\n|4..|...|8.5|\n|.3.|...|...|\n|...|7..|...|\n|---+---+---|\n"
                 "|.2.|...|.6.|\n|...|.8.|4..|\n|...|.1.|...|\n|---+---+---|\n"
                 "|...|6.3|.7.|\n|5..|2..|...|\n|1.4|...|...|\n*-----------*\n"));
  EXPECT_TRUE(watcher_->TakeSeen().empty());
  ExpectNineBoard(kTop95);

  // An input-data file of 16x16 with the clue 10, and a few bytes after its
  // clues.
  InputData data = {};
  data.gridSize = 16;
  data.given[0][0] = 10;
  data.given[15][15] = 16;
  std::vector<uint8_t> bytes = EncodeInputData(data);
  bytes.resize(bytes.size() + 30, 'x');
  Drop(WriteTemp("sixteen.cvn", std::string(bytes.begin(), bytes.end())));
  EXPECT_TRUE(watcher_->TakeSeen().empty());
  ASSERT_EQ(board.gridSize, 16);
  EXPECT_TRUE(IsChecked(301));
  EXPECT_EQ(board.given[0][0], 10);
  EXPECT_EQ(board.fixed[15][15], 16);
  EXPECT_EQ(board.given[1][0], 0);

  // Longer than any board: what follows the clues is no part of it.
  data.given[3][3] = 7;
  bytes = EncodeInputData(data);
  bytes.resize(1 << 20, 'x');
  Drop(WriteTemp("long.cvn", std::string(bytes.begin(), bytes.end())));
  EXPECT_TRUE(watcher_->TakeSeen().empty());
  ASSERT_EQ(board.gridSize, 16);
  EXPECT_EQ(board.given[0][0], 10);
  EXPECT_EQ(board.given[3][3], 7);
  EXPECT_EQ(board.fixed[15][15], 16);
  // A damaged input-data file: the load command's message, the board kept.
  const Layers before = Snapshot();
  Drop(WriteTemp("damaged.cvn", std::string("\x01\x02\x72\x10\x05", 5)));
  auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "不正なファイルです。");
  EXPECT_EQ(seen[0].text, "不正なファイルです。");
  EXPECT_TRUE(SameLayers(Snapshot(), before));
  // A text that is no puzzle: the file, the place and why.
  const std::string path = WriteTemp("short.txt", "\n\n1 2 3 4\n");
  Drop(path);
  seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "不正なファイルです。");
  EXPECT_EQ(seen[0].text.find(path), 0u) << seen[0].text;
  EXPECT_NE(seen[0].text.find("3 行 1 文字目"), std::string::npos) << seen[0].text;
  EXPECT_TRUE(SameLayers(Snapshot(), before));

  // Several files at once: the first opens, and the user hears of the rest.
  Drop(WriteTemp("first.txt", kTop95), WriteTemp("second.txt", kTwoSolutions));
  seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Several Files");
  EXPECT_EQ(seen[0].text, "ファイルが複数あります。\n最初のファイルだけを開きました。");
  ExpectNineBoard(kTop95);
}

TEST_F(PuzzleIoTest, CommandLineOpensTheFileItNames) {
  const std::string path = WriteTemp("with space.txt", std::string(kTwoSolutions) + "\n");
  const std::wstring line = L"Corvana.exe \"" + std::wstring(path.begin(), path.end()) + L"\"";
  OpenCommandLineFile(window_, line.c_str());
  EXPECT_TRUE(watcher_->TakeSeen().empty());
  ExpectNineBoard(kTwoSolutions);

  const Layers before = Snapshot();
  OpenCommandLineFile(window_, L"Corvana.exe");
  EXPECT_TRUE(SameLayers(Snapshot(), before));
  const std::string missing = directory_ + "missing.cvn";
  const std::wstring bad = L"Corvana.exe " + std::wstring(missing.begin(), missing.end());
  OpenCommandLineFile(window_, bad.c_str());
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Cannot Open File");
  EXPECT_EQ(seen[0].text, missing);
  EXPECT_TRUE(SameLayers(Snapshot(), before));
}

}  // namespace
