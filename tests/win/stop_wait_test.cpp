// Messages sent to the window by another thread while a stop waits for the
// worker. The wait handles sent messages (the worker's message box needs
// that), so such a message can run a stop step of its own inside the first:
// the program must carry both out, neither crash nor hang.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/shell.h"
#include "solver/board.h"
#include "tests/win/window_fixture.h"
#include "view/canvas.h"

namespace {

struct FoundBox {
  HWND box = nullptr;
};

BOOL CALLBACK CollectResultBox(HWND window, LPARAM parameter) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[32] = "";
  char title[32] = "";
  GetClassNameA(window, name, sizeof name);
  GetWindowTextA(window, title, sizeof title);
  if (process == GetCurrentProcessId() && std::string(name) == "#32770" &&
      std::string(title) == "Result" && IsWindowVisible(window)) {
    reinterpret_cast<FoundBox*>(parameter)->box = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindResultBox() {
  FoundBox found;
  EnumWindows(CollectResultBox, reinterpret_cast<LPARAM>(&found));
  return found.box;
}

class StopWaitTest : public WindowTest {
 protected:
  // Starts a solve of a board without a solution and lets the worker get as
  // far as its result box, where it stays until somebody answers it. The box
  // needs the window thread to come up (it disables its owner window).
  HWND SolveIntoTheResultBox() {
    for (int x = 0; x < 8; ++x) EnterClue(x, 0, x + 1);
    EnterClue(8, 4, 9);
    Command(500);
    HWND box = nullptr;
    for (int i = 0; i < 2000 && box == nullptr; ++i) {
      PumpMessages();
      box = FindResultBox();
      if (box == nullptr) Sleep(5);
    }
    return box;
  }
};

// The stop command waits for the worker, which sits in its result box. Another
// thread sends the clear-all command meanwhile; its own stop step then waits
// inside the first one, and only then is the box answered.
TEST_F(StopWaitTest, ACommandSentFromAnotherThreadWhileAStopWaitsIsCarriedOut) {
  watcher_.reset();  // the box is answered here, when the time has come
  const HWND box = SolveIntoTheResultBox();
  ASSERT_NE(box, nullptr) << "the worker's result box never showed";
  std::atomic<bool> sent{false};
  std::atomic<bool> answered{false};
  const HWND window = window_;
  std::thread other([&] {
    // Sent, not posted, as another program's SendMessage would be; the
    // worker cannot end before the box is answered, so it arrives while the
    // stop below waits.
    sent.store(SendNotifyMessageA(window, WM_COMMAND, 200, 0) != 0);
    Sleep(300);  // the clear command's stop step is waiting by now
    answered.store(PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0) != 0);
  });
  Command(501);
  other.join();
  EXPECT_TRUE(sent.load());
  EXPECT_TRUE(answered.load());
  PumpMessages();
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_FALSE(IsStartGreyed());
  EXPECT_EQ(board.given[0][0], 0) << "the command sent meanwhile cleared the board";
  EXPECT_EQ(board.given[8][4], 0);

  // The program goes on as usual: a solve of the empty board.
  Command(500);
  WaitForSolve();
  EXPECT_EQ(board.solutionShown, 1);
  EXPECT_EQ(board.shown[0][0], 1);
}

// Another program closes the window while a stop waits for the worker: the
// window goes away with its canvas, and the program ends as after any close.
TEST_F(StopWaitTest, AWindowClosedByAnotherThreadWhileAStopWaitsEndsTheProgram) {
  watcher_.reset();
  const HWND box = SolveIntoTheResultBox();
  ASSERT_NE(box, nullptr) << "the worker's result box never showed";
  std::atomic<bool> sent{false};
  const HWND window = window_;
  std::thread other([&] {
    sent.store(SendNotifyMessageA(window, WM_CLOSE, 0, 0) != 0);
    Sleep(300);
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  Command(501);
  other.join();
  EXPECT_TRUE(sent.load());
  EXPECT_FALSE(IsWindow(window_));
  window_ = nullptr;
  EXPECT_EQ(canvas, nullptr);
  EXPECT_EQ(board.searchStopped.load(), 1);
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

// A close that arrives while a command's stop step waits ends the command
// there: it neither changes the board nor draws on the closed window, and a
// start starts no worker, which would outlive the program's loop.
TEST_F(StopWaitTest, ACloseWhileACommandsStopWaitsEndsTheCommandThere) {
  watcher_.reset();
  for (int command : {500, 200, 300, 301}) {
    SCOPED_TRACE(command);
    if (window_ == nullptr) window_ = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(window_, nullptr);
    PumpMessages();
    const HWND box = SolveIntoTheResultBox();
    ASSERT_NE(box, nullptr) << "the worker's result box never showed";
    const HWND window = window_;
    std::thread other([&] {
      SendNotifyMessageA(window, WM_CLOSE, 0, 0);
      Sleep(300);
      PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    Command(command);
    other.join();
    EXPECT_FALSE(IsWindow(window));
    window_ = nullptr;
    EXPECT_EQ(board.searchStopped.load(), 1) << "a worker started on the closed window";
    EXPECT_EQ(board.gridSize, 9);
    EXPECT_EQ(board.given[0][0], 1) << "the command went on after the close";
    EXPECT_EQ(canvas, nullptr);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
}

}  // namespace
