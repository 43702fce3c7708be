// The real main window of Corvana, created in the test process with the real
// class, window procedure and resources, and driven by the messages a user's
// actions make. Every test gets a new window; the board and the canvas are
// process-wide, so a new window starts them afresh as the program does.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/win/dialog_watcher.h"

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Key(UINT key);
  void Keys(const char* digits);  // '0'..'9' as digit keys
  void LeftClick(int x, int y);
  void RightClick(int x, int y);
  void Command(int id);
  // The client position of the middle of cell (x, y).
  POINT CellCentre(int x, int y);
  void ClickCell(int x, int y) {
    const POINT p = CellCentre(x, y);
    LeftClick(p.x, p.y);
  }
  void NewBoard(int gridSize);
  // Types a digit with the keys into cell (x, y).
  void EnterClue(int x, int y, int digit);
  // Runs the window's messages until no worker runs, the worker's own result
  // message answered by the watcher.
  void WaitForSolve();
  void PumpMessages();

  COLORREF Pixel(int x, int y);
  // Pixels of one colour in the background square of cell (x, y).
  int CountInCell(int x, int y, COLORREF colour);
  std::string MenuText(UINT id);
  UINT MenuState(UINT id);
  bool IsChecked(UINT id) { return (MenuState(id) & MF_CHECKED) != 0; }
  bool IsStartGreyed() { return (MenuState(500) & MF_GRAYED) != 0; }

  HWND window_ = nullptr;
  std::unique_ptr<DialogWatcher> watcher_;
};

// A window test with a folder of its own for the files it makes: one folder
// per process, since ctest may run tests side by side; the files named
// through PathOf and the folder are removed after the test.
class FolderWindowTest : public WindowTest {
 protected:
  explicit FolderWindowTest(const char* folderName) : folderName_(folderName) {}
  void SetUp() override;
  void TearDown() override;

  std::string PathOf(const char* name) {
    created_.push_back(directory_ + name);
    return created_.back();
  }

  std::string directory_;  // ends with a backslash

 private:
  std::string folderName_;
  std::vector<std::string> created_;
};
