#include "app/puzzle_io.h"

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

const char kPasteCaption[] = "Cannot Paste";
const char kSeveralPuzzlesCaption[] = "Several Puzzles";
const char kSeveralPuzzlesText[] = "パズルが複数あります。\n最初のパズルを読み込みました。";

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

// The first puzzle of a text onto the board, or the reason it is refused.
void TakePuzzleText(HWND window, const std::string& text, const std::string& refusedText,
                    const char* refusedCaption) {
  InputData data;
  bool more = false;
  PuzzleTextError error;
  if (!ReadFirstPuzzle(text, &data, &more, &error)) {
    MessageBoxA(window, (refusedText + ReasonText(error)).c_str(), refusedCaption, MB_OK);
    return;
  }
  ShowInputData(window, data);
  if (more) MessageBoxA(window, kSeveralPuzzlesText, kSeveralPuzzlesCaption, MB_OK);
}

// The clipboard's text as UTF-8; false when it holds none.
bool ClipboardText(HWND window, std::string* text) {
  if (!OpenClipboard(window)) return false;
  bool found = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      *text = Narrow(wide, CP_UTF8);
      GlobalUnlock(data);
      found = true;
    }
  } else if (HANDLE ansi = GetClipboardData(CF_TEXT)) {
    if (const auto* narrow = static_cast<const char*>(GlobalLock(ansi))) {
      *text = Narrow(Widen(narrow, CP_ACP), CP_UTF8);
      GlobalUnlock(ansi);
      found = true;
    }
  }
  CloseClipboard();
  return found;
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
  StopWorker(window);
  std::string text;
  if (!ClipboardText(window, &text)) {
    MessageBoxA(window, "クリップボードにテキストがありません。", kPasteCaption, MB_OK);
    return;
  }
  TakePuzzleText(window, text, "貼り付けたテキストはパズルとして読めません。\n", kPasteCaption);
}

void CopyPuzzle(HWND window, bool cluesOnly) {
  const std::string lines = PuzzleToText(board.gridSize, cluesOnly ? board.given : board.shown);
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
  StopWorker(window);
  std::FILE* file = _wfopen(path, L"rb");
  if (file == nullptr) {
    MessageBoxA(window, Narrow(path, CP_ACP).c_str(), "Cannot Open File", MB_OK);
    return;
  }
  std::vector<uint8_t> bytes;
  // An input-data file is read only as far as it takes to know it is too
  // long, whatever the file's length.
  ReadUpTo(file, kInputDataReadLimit, &bytes);
  const bool utf16 = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
  const bool inputData = !utf16 && LooksLikeInputData(bytes.data(), bytes.size());
  if (!inputData) ReadUpTo(file, kTextReadBound, &bytes);
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
  TakePuzzleText(window, text, Narrow(path, CP_ACP) + "\n", kBadFileText);
}

void OnDropFiles(HWND window, HDROP drop) {
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length + 1, L'\0');
  const UINT got = DragQueryFileW(drop, 0, &path[0], length + 1);
  DragFinish(drop);
  if (got == 0) return;
  path.resize(got);
  OpenPuzzleFile(window, path.c_str());
}

void OpenCommandLineFile(HWND window, const wchar_t* commandLine) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
  if (arguments == nullptr) return;
  if (count >= 2) OpenPuzzleFile(window, arguments[1]);
  LocalFree(arguments);
}
