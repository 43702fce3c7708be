#include "app/puzzle_io.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "file/input_data.h"
#include "file/input_data_win.h"
#include "file/puzzle_text.h"
#include "solver/board.h"
#include "solver/worker.h"

namespace {

// Text files are read this far; a puzzle file longer than that holds its
// first puzzle well before the end.
constexpr size_t kTextReadBound = 1 << 20;

// The clipboard's text is looked at this far (bytes of its block, whichever
// format): the largest board with generous separators takes a few KB, and a
// huge paste is never taken in whole.
constexpr size_t kPasteLimit = 64 * 1024;

const char kPasteCaption[] = "Cannot Paste";
const char kSeveralPuzzlesCaption[] = "Several Puzzles";
const char kSeveralPuzzlesText[] = "パズルが複数あります。\n最初のパズルを読み込みました。";
const char kLongTextCaption[] = "Long Text";
const char kSeveralFilesCaption[] = "Several Files";
const char kSeveralFilesText[] = "ファイルが複数あります。\n最初のファイルだけを開きました。";
const char kFirstPuzzleText[] = "最初のパズルを読み込みました。";
const char kCutText[] = "先頭 64 KB より後のテキストは無視しました。";

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

std::string Narrow(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return "";
  const int size = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &narrow[0], size,
                      nullptr, nullptr);
  return narrow;
}

std::wstring Widen(const std::string& narrow, UINT codePage) {
  if (narrow.empty()) return L"";
  const int size =
      MultiByteToWideChar(codePage, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, narrow.data(), static_cast<int>(narrow.size()), &wide[0], size);
  return wide;
}

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}

// Why a text is no puzzle, in the program's language and code page.
std::string ReasonText(const PuzzleTextError& error) {
  // The character or word at fault comes as UTF-8; the message box shows ANSI.
  const std::string found = "「" + Narrow(Widen(error.found, CP_UTF8), CP_ACP) + "」";
  const int n = error.expected;
  std::string why;
  switch (error.problem) {
    case PuzzleTextProblem::kNoPuzzle:
      return "パズルが見つかりません。";
    case PuzzleTextProblem::kBadCharacter:
      why = found + "は数字、英字、「.」でも罫線でもありません。";
      break;
    case PuzzleTextProblem::kBadNumber:
      why = found + "は 0 から 25 の数でも「.」でもありません。";
      break;
    case PuzzleTextProblem::kAboveSize:
      why = error.found + Format(" は %d＊%d の盤面の数字を超えています。", n, n);
      break;
    case PuzzleTextProblem::kLetterOutOfSize:
      why = found + Format("は %d＊%d の盤面の数字ではありません。", n, n);
      break;
    case PuzzleTextProblem::kDigitAmongLetters:
      why = found + "：英字で書いた２５＊２５の盤面に数字があります。";
      break;
    case PuzzleTextProblem::kRowLength:
      why = Format("この行のマスは %d 個で、上の行は %d 個です。", error.count, n);
      break;
    case PuzzleTextProblem::kLineTooLong:
      why = Format("この行は %d バイトを超えています。盤面の行はそれほど長くなりません。",
                   static_cast<int>(kLongestPuzzleLine));
      break;
    case PuzzleTextProblem::kCellCount:
      why = Format("ここからのパズルのマスは %d 個です。\n盤面は 81、256、625 マスです。",
                   error.count);
      break;
  }
  return Format("%d 行 %d 文字目：", error.line, error.column) + why;
}

// The first puzzle of a text onto the board, or the reason it is refused;
// `cut` when the text was cut short of its end, which every message then says.
void TakePuzzleText(HWND window, const std::string& text, bool cut, const std::string& refusedText,
                    const char* refusedCaption) {
  const std::string cutNote = cut ? std::string("\n") + kCutText : "";
  InputData data;
  bool more = false;
  PuzzleTextError error;
  if (!ReadFirstPuzzle(text, &data, &more, &error)) {
    MessageBoxA(window, (refusedText + ReasonText(error) + cutNote).c_str(), refusedCaption, MB_OK);
    return;
  }
  ShowInputData(window, data);
  if (more) {
    MessageBoxA(window, (kSeveralPuzzlesText + cutNote).c_str(), kSeveralPuzzlesCaption, MB_OK);
  } else if (cut) {
    MessageBoxA(window, (kFirstPuzzleText + cutNote).c_str(), kLongTextCaption, MB_OK);
  }
}

enum class ClipboardRead { kText, kNoText, kCannotOpen };

// The text of a clipboard block up to its terminating zero, read no further
// than the block's own size (another program may have left the zero out) nor
// than kPasteLimit bytes; *cut when the text goes on past the limit.
template <typename Char>
bool BoundedText(HANDLE block, std::basic_string<Char>* text, bool* cut) {
  const auto* chars = static_cast<const Char*>(GlobalLock(block));
  if (chars == nullptr) return false;
  const size_t size = GlobalSize(block) / sizeof(Char);
  const size_t limit = kPasteLimit / sizeof(Char);
  const size_t look = std::min(size, limit + 1);  // one more tells whether the text goes on
  size_t length = 0;
  while (length < look && chars[length] != 0) ++length;
  *cut = length > limit;
  text->assign(chars, std::min(length, limit));
  GlobalUnlock(block);
  return true;
}

// The clipboard's text as UTF-8, Unicode text first, else ANSI text.
ClipboardRead ClipboardText(HWND window, std::string* text, bool* cut) {
  if (!OpenClipboard(window)) return ClipboardRead::kCannotOpen;
  bool found = false;
  if (HANDLE unicode = GetClipboardData(CF_UNICODETEXT)) {
    std::wstring wide;
    found = BoundedText(unicode, &wide, cut);
    if (found) *text = Narrow(wide, CP_UTF8);
  } else if (HANDLE ansi = GetClipboardData(CF_TEXT)) {
    std::string narrow;
    found = BoundedText(ansi, &narrow, cut);
    if (found) *text = Narrow(Widen(narrow, CP_ACP), CP_UTF8);
  }
  CloseClipboard();
  return found ? ClipboardRead::kText : ClipboardRead::kNoText;
}

HGLOBAL GlobalCopy(const void* bytes, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return nullptr;
  void* copy = GlobalLock(memory);
  if (copy == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(copy, bytes, size);
  GlobalUnlock(memory);
  return memory;
}

}  // namespace

bool HandlePuzzleKey(HWND window, UINT key) {
  const bool control = KeyDown(VK_CONTROL);
  const bool shift = KeyDown(VK_SHIFT);
  if ((control && key == 'V') || (shift && !control && key == VK_INSERT)) {
    PastePuzzle(window);
  } else if (control && key == 'C') {
    CopyPuzzle(window, shift);
  } else {
    return false;
  }
  return true;
}

void PastePuzzle(HWND window) {
  if (!StopWorker(window)) return;
  std::string text;
  bool cut = false;
  switch (ClipboardText(window, &text, &cut)) {
    case ClipboardRead::kText:
      break;
    case ClipboardRead::kNoText:
      MessageBoxA(window, "クリップボードにテキストがありません。", kPasteCaption, MB_OK);
      return;
    case ClipboardRead::kCannotOpen:
      MessageBoxA(window, "クリップボードを開けませんでした。", kPasteCaption, MB_OK);
      return;
  }
  TakePuzzleText(window, text, cut, "貼り付けたテキストはパズルとして読めません。\n",
                 kPasteCaption);
}

void CopyPuzzle(HWND window, bool cluesOnly) {
  // A running worker writes shown as it goes, never the clues.
  int32_t shown[kMaxGridSize][kMaxGridSize];
  CopyShown(shown);
  const std::string lines = PuzzleToText(board.gridSize, cluesOnly ? board.given : shown);
  std::string text;
  for (char c : lines) {
    if (c == '\n') text += '\r';
    text += c;
  }
  const std::wstring wide = Widen(text, CP_ACP);
  if (!OpenClipboard(window)) return;
  EmptyClipboard();
  if (HGLOBAL unicode = GlobalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t))) {
    if (SetClipboardData(CF_UNICODETEXT, unicode) == nullptr) GlobalFree(unicode);
  }
  if (HGLOBAL ansi = GlobalCopy(text.c_str(), text.size() + 1)) {
    if (SetClipboardData(CF_TEXT, ansi) == nullptr) GlobalFree(ansi);
  }
  CloseClipboard();
}

void OpenPuzzleFile(HWND window, const wchar_t* path) {
  if (!StopWorker(window)) return;
  std::FILE* file = _wfopen(path, L"rb");
  if (file == nullptr) {
    MessageBoxA(window, Narrow(path, CP_ACP).c_str(), "Cannot Open File", MB_OK);
    return;
  }
  std::vector<uint8_t> bytes;
  // The first bytes tell the kind; an input-data file is then read only as
  // far as its board takes, whatever the file's length.
  ReadUpTo(file, kFileKindBytes, &bytes);
  const bool utf16 = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
  const bool inputData = !utf16 && LooksLikeInputData(bytes.data(), bytes.size());
  if (inputData) {
    ReadInputDataFile(file, &bytes);
  } else {
    ReadUpTo(file, kTextReadBound, &bytes);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    MessageBoxA(window, Narrow(path, CP_ACP).c_str(), "Cannot Open File", MB_OK);
    return;
  }
  if (inputData) {
    TakeInputData(window, bytes);
    return;
  }
  std::string text(bytes.begin(), bytes.end());
  if (utf16) {  // Notepad's "Unicode": UTF-16 after a byte-order mark
    text = Narrow(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                               (bytes.size() - 2) / sizeof(wchar_t)),
                  CP_UTF8);
  }
  TakePuzzleText(window, text, false, Narrow(path, CP_ACP) + "\n", kBadFileText);
}

void OnDropFiles(HWND window, HDROP drop) {
  const UINT files = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length + 1, L'\0');
  const UINT got = DragQueryFileW(drop, 0, &path[0], length + 1);
  DragFinish(drop);
  if (got == 0) return;
  path.resize(got);
  OpenPuzzleFile(window, path.c_str());
  // Whatever the first file brought, a message box among it, the window may
  // have been closed meanwhile.
  if (files > 1 && IsWindow(window)) {
    MessageBoxA(window, kSeveralFilesText, kSeveralFilesCaption, MB_OK);
  }
}

void OpenCommandLineFile(HWND window, const wchar_t* commandLine) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
  if (arguments == nullptr) return;
  if (count >= 2) OpenPuzzleFile(window, arguments[1]);
  LocalFree(arguments);
}
