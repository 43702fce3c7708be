#include "tests/win/random_user/texts.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace {

// Numbers separated by blanks, or 81 characters of digits and '.'.
std::vector<int> Cells(const std::string& line) {
  std::vector<int> cells;
  if (line.size() == 81 && line.find(' ') == std::string::npos) {
    for (char c : line) cells.push_back(c == '.' ? 0 : c - '0');
    return cells;
  }
  std::istringstream in(line);
  int value = 0;
  while (in >> value) cells.push_back(value);
  return cells;
}

int SizeOf(size_t cells) { return cells == 81 ? 9 : cells == 256 ? 16 : cells == 625 ? 25 : 0; }

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// One character of the kinds that paste in from other programs.
wchar_t RandomCharacter(std::mt19937_64& random) {
  switch (Uniform(random, 0, 7)) {
    case 0:
      return static_cast<wchar_t>(Uniform(random, 0x3041, 0x30FF));  // kana
    case 1:
      return static_cast<wchar_t>(Uniform(random, 0x4E00, 0x9FA0));  // kanji
    case 2:
      return static_cast<wchar_t>(Uniform(random, 0xFF10, 0xFF19));  // full-width digits
    case 3:
      return static_cast<wchar_t>(Uniform(random, 0x2500, 0x257F));  // box drawing
    case 4:
      return static_cast<wchar_t>(Uniform(random, 1, 0x1F));  // control characters
    case 5:
      return L"\r\n\t .|-+"[Uniform(random, 0, 8)];
    default:
      return static_cast<wchar_t>(Uniform(random, 0x20, 0x7E));
  }
}

std::wstring RandomCharacters(std::mt19937_64& random, int length) {
  std::wstring text;
  for (int i = 0; i < length; ++i) text += RandomCharacter(random);
  return text;
}

const KnownPuzzle& AnyPuzzle(std::mt19937_64& random, const std::vector<KnownPuzzle>& puzzles) {
  return puzzles[static_cast<size_t>(Uniform(random, 0, static_cast<int>(puzzles.size()) - 1))];
}

}  // namespace

int Uniform(std::mt19937_64& random, int low, int high) {
  return low + static_cast<int>(random() % static_cast<uint64_t>(high - low + 1));
}

bool LoadPuzzles(const std::string& path, std::vector<KnownPuzzle>* puzzles, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  std::string line;
  std::vector<std::string> block;
  auto finish = [&] {
    if (block.size() >= 2 && block[0][0] == '=') {
      KnownPuzzle puzzle;
      puzzle.title = block[0].substr(2);
      puzzle.clues = Cells(block[1]);
      puzzle.size = SizeOf(puzzle.clues.size());
      if (block.size() >= 3) {
        const std::vector<int> answer = Cells(block[2]);
        if (answer.size() == puzzle.clues.size()) puzzle.firstAnswer = answer;
      }
      puzzle.unique = !puzzle.firstAnswer.empty() && block.size() >= 4 && block[3] == "none";
      if (puzzle.size != 0) puzzles->push_back(puzzle);
    }
    block.clear();
  };
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
      finish();
    } else {
      block.push_back(line);
    }
  }
  finish();
  bool sizes[26] = {};
  for (const KnownPuzzle& puzzle : *puzzles)
    sizes[puzzle.size] = sizes[puzzle.size] || puzzle.unique;
  if (!sizes[9] || !sizes[16] || !sizes[25]) {
    *error = path + " lacks a puzzle with a unique solution of every size";
    return false;
  }
  return true;
}

bool ParseBoard(const std::string& text, int* size, std::vector<int>* cells) {
  cells->clear();
  std::string line;
  std::istringstream lines(text);
  std::vector<std::string> rows;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) rows.push_back(line);
  }
  if (rows.size() == 1 && rows[0].size() == 81) {
    *size = 9;
    for (char c : rows[0]) {
      if (c != '.' && (c < '1' || c > '9')) return false;
      cells->push_back(c == '.' ? 0 : c - '0');
    }
    return true;
  }
  *size = static_cast<int>(rows.size());
  if (*size != 16 && *size != 25) return false;
  for (const std::string& row : rows) {
    std::istringstream in(row);
    std::string number;
    int count = 0;
    while (in >> number) {
      for (char c : number) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
      }
      const int value = std::stoi(number);
      if (value > *size || number.size() > 2) return false;
      cells->push_back(value);
      ++count;
    }
    if (count != *size) return false;
  }
  return true;
}

std::wstring PuzzleText(const KnownPuzzle& puzzle, int form) {
  const int n = puzzle.size;
  std::string text;
  for (int i = 0; i < n * n; ++i) {
    const int v = puzzle.clues[static_cast<size_t>(i)];
    const bool rowEnd = (i + 1) % n == 0;
    if (n == 9 && form != 2) {
      text += v == 0 ? (form == 1 ? '0' : '.') : static_cast<char>('0' + v);
      if (form == 1 && rowEnd) text += "\r\n";
    } else {
      text += v == 0 && form == 2 ? "." : std::to_string(v);
      text += form == 0 || !rowEnd ? " " : "\r\n";
    }
  }
  if (form == 0) text += "\r\n";
  return Widen(text);
}

Garbage MakeGarbage(std::mt19937_64& random, const std::vector<KnownPuzzle>& puzzles) {
  Garbage garbage;
  const KnownPuzzle& puzzle = AnyPuzzle(random, puzzles);
  std::wstring text = PuzzleText(puzzle, Uniform(random, 0, 2));
  switch (Uniform(random, 0, 5)) {
    case 0:
      garbage.kind = "random characters";
      garbage.text = RandomCharacters(random, Uniform(random, 1, 3000));
      break;
    case 1: {
      garbage.kind = "a puzzle with a bad character";
      const wchar_t bad[] = {L'x', L'#', L'１', L'表', L'\x01', L'-', L'９'};
      text[static_cast<size_t>(Uniform(random, 0, static_cast<int>(text.size()) - 1))] =
          bad[Uniform(random, 0, 6)];
      garbage.text = text;
      break;
    }
    case 2:
      garbage.kind = "a puzzle cut short";
      garbage.text = text.substr(0, static_cast<size_t>(Uniform(random, 1, int(text.size()) - 3)));
      break;
    case 3:
      garbage.kind = "two puzzles";
      garbage.text = text + L"\r\n" + PuzzleText(AnyPuzzle(random, puzzles), 0);
      break;
    case 4:
      garbage.kind = "a number too big for the board";
      garbage.text = L"99 " + text;
      break;
    default: {
      garbage.kind = "ANSI bytes";
      garbage.isAnsi = true;
      const int length = Uniform(random, 1, 2000);
      for (int i = 0; i < length; ++i) garbage.ansi += static_cast<char>(Uniform(random, 1, 255));
      break;
    }
  }
  return garbage;
}

std::wstring MakeBlank(std::mt19937_64& random) {
  const wchar_t* blanks[] = {L"", L" ", L"\r\n", L"\r\n\r\n \t \r\n", L"\t"};
  return blanks[Uniform(random, 0, 4)];
}

Garbage MakeHuge(std::mt19937_64& random, const std::vector<KnownPuzzle>& puzzles) {
  Garbage huge;
  const size_t megabytes = static_cast<size_t>(Uniform(random, 2, 6));
  const size_t length = megabytes << 20;
  huge.text.reserve(length + 2000);
  switch (Uniform(random, 0, 3)) {
    case 0:
      huge.kind = std::to_string(megabytes) + " MB: a puzzle, then blank lines";
      huge.text = PuzzleText(AnyPuzzle(random, puzzles), 1);
      while (huge.text.size() < length) huge.text += L"    \r\n";
      break;
    case 1:
      huge.kind = std::to_string(megabytes) + " MB of digits on one line";
      while (huge.text.size() < length) huge.text += static_cast<wchar_t>(L'0' + random() % 10);
      break;
    case 2: {
      huge.kind = std::to_string(megabytes) + " MB of puzzles";
      while (huge.text.size() < length) huge.text += PuzzleText(AnyPuzzle(random, puzzles), 0);
      break;
    }
    default: {
      huge.kind = std::to_string(megabytes) + " MB of Japanese text";
      const std::wstring sentence = L"数独の問題をここに貼り付けてください。\r\n";
      while (huge.text.size() < length) huge.text += sentence;
      break;
    }
  }
  return huge;
}
