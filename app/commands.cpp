#include "app/commands.h"

#include <shellapi.h>

#include "app/input.h"
#include "app/resource.h"
#include "file/input_data_win.h"
#include "solver/board.h"
#include "solver/worker.h"
#include "view/canvas.h"

namespace {

const char kHelpFileName[] = "cv_help.chm";

const char kAboutText[] =
    "Corvana Ver.1.2a\n"
    "注意\n25*25で数字の入力量が少ないと、\n計算時間が非常に長くなります。";

void ExitCommand(HWND window) {
  if (MessageBoxA(window, "終了しますか？", "Exit", MB_YESNO) != IDYES) return;
  EndProgram(window);
}

void NewBoardCommand(HWND window, int gridSize) {
  if (!StopWorker(window)) return;
  board.gridSize = gridSize;
  ResetBoard(window);
}

void ClearCommand(HWND window, void (*clear)()) {
  if (!StopWorker(window)) return;
  clear();
  DrawBoard(window);
  DrawAllCells(window);
}

void ProgressCommand(HWND window, bool show) {
  HMENU menu = GetMenu(window);
  CheckMenuItem(menu, IDM_SHOW_PROGRESS, MF_BYCOMMAND | (show ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_HIDE_PROGRESS, MF_BYCOMMAND | (show ? MF_UNCHECKED : MF_CHECKED));
  board.showProgress.store(show ? 1 : 0);
}

void HelpCommand() {
  ShellExecuteA(nullptr, "open", HelpFilePath().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

std::string HelpFilePath() {
  char module[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
  return HelpFileBeside(std::string(module, length < MAX_PATH ? length : 0));
}

// Walked by character: in code page 932 the second byte of 表 or ソ is 0x5C,
// which a walk by bytes would take for a backslash.
std::string HelpFileBeside(const std::string& programPath) {
  const char* const start = programPath.c_str();
  const char* name = start;
  for (const char* c = start; *c != '\0'; c = CharNextA(c)) {
    if (*c == '\\' || *c == '/') name = c + 1;
  }
  return programPath.substr(0, static_cast<size_t>(name - start)) + kHelpFileName;
}

void EndProgram(HWND window) {
  EndSearching(window);
  ReleaseCanvas();
  PostQuitMessage(0);
}

void OnCommand(HWND window, int commandId) {
  if (commandId >= IDM_DIGIT_FIRST && commandId <= IDM_DIGIT_LAST) {
    EnterDigitCommand(window, commandId - IDM_DIGIT_BASE);
    return;
  }
  switch (commandId) {
    case IDM_EXIT:
      ExitCommand(window);
      break;
    case IDM_SAVE:
      SaveInputData(window);
      break;
    case IDM_LOAD:
      LoadInputData(window);
      break;
    case IDM_CLEAR_ALL:
      ClearCommand(window, ClearAll);
      break;
    case IDM_CLEAR_WORKING:
      ClearCommand(window, ClearWorking);
      break;
    case IDM_NEW_9:
      NewBoardCommand(window, 9);
      break;
    case IDM_NEW_16:
      NewBoardCommand(window, 16);
      break;
    case IDM_NEW_25:
      NewBoardCommand(window, 25);
      break;
    case IDM_ABOUT:
      MessageBoxA(window, kAboutText, "Help", MB_OK);
      break;
    case IDM_HELP:
      HelpCommand();
      break;
    case IDM_START_SEARCH:
      StartSearch(window);
      break;
    case IDM_STOP_SEARCH:
      AbortSearch(window);
      break;
    case IDM_CLEAR_CELL:
      ClearCellCommand(window);
      break;
    case IDM_SHOW_PROGRESS:
      ProgressCommand(window, true);
      break;
    case IDM_HIDE_PROGRESS:
      ProgressCommand(window, false);
      break;
    default:
      break;
  }
}
