#include "tests/win/window_fixture.h"

#include "app/shell.h"
#include "solver/board.h"
#include "solver/worker.h"
#include "view/canvas.h"

void WindowTest::SetUp() {
  static const ATOM registered = RegisterMainClass(GetModuleHandleA(nullptr));
  ASSERT_NE(registered, 0);
  watcher_ = std::make_unique<DialogWatcher>();
  window_ = CreateMainWindow(GetModuleHandleA(nullptr));
  ASSERT_NE(window_, nullptr);
  PumpMessages();
}

void WindowTest::TearDown() {
  if (window_ != nullptr) DestroyWindow(window_);
  // Drops the quit message that destruction posts, and anything else left.
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  watcher_.reset();
}

void WindowTest::PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void WindowTest::Key(UINT key) { SendMessageA(window_, WM_KEYDOWN, key, 1); }

void WindowTest::Keys(const char* digits) {
  for (const char* c = digits; *c != '\0'; ++c) Key(static_cast<UINT>(*c));
}

void WindowTest::LeftClick(int x, int y) {
  SendMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

void WindowTest::RightClick(int x, int y) {
  SendMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
}

void WindowTest::Command(int id) { SendMessageA(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

POINT WindowTest::CellCentre(int x, int y) {
  return {board.boardOffset + 20 + 20 * x, board.boardOffset + 20 + 20 * y};
}

void WindowTest::NewBoard(int gridSize) {
  Command(gridSize == 9 ? 300 : gridSize == 16 ? 301 : 302);
}

void WindowTest::EnterClue(int x, int y, int digit) {
  ClickCell(x, y);
  Key(' ');
  if (digit >= 10) Key('0' + digit / 10);
  Key('0' + digit % 10);
}

void WindowTest::WaitForSolve() {
  WaitForWorker(window_);
  PumpMessages();
}

COLORREF WindowTest::Pixel(int x, int y) {
  std::lock_guard<std::recursive_mutex> lock(canvasLock);
  return GetPixel(canvas, x, y);
}

int WindowTest::CountInCell(int x, int y, COLORREF colour) {
  std::lock_guard<std::recursive_mutex> lock(canvasLock);
  const int n = board.boxSize;
  const int left = board.boardOffset + 20 * x + 11 + (x % n == 0);
  const int top = board.boardOffset + 20 * y + 11 + (y % n == 0);
  const int end = 30;  // exclusive, relative to the cell's line
  int count = 0;
  for (int py = top; py < board.boardOffset + 20 * y + end; ++py) {
    for (int px = left; px < board.boardOffset + 20 * x + end; ++px) {
      count += GetPixel(canvas, px, py) == colour;
    }
  }
  return count;
}

std::string WindowTest::MenuText(UINT id) {
  char text[128] = "";
  GetMenuStringA(GetMenu(window_), id, text, sizeof text, MF_BYCOMMAND);
  return text;
}

UINT WindowTest::MenuState(UINT id) { return GetMenuState(GetMenu(window_), id, MF_BYCOMMAND); }

void FolderWindowTest::SetUp() {
  WindowTest::SetUp();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  directory_ = std::string(temp) + folderName_ + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(directory_.c_str(), nullptr);
}

void FolderWindowTest::TearDown() {
  for (const std::string& name : created_) {
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);  // a test may make it read-only
    DeleteFileA(name.c_str());
  }
  RemoveDirectoryA(directory_.c_str());
  WindowTest::TearDown();
}
