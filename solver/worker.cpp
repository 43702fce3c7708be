#include "solver/worker.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "solver/board.h"
#include "solver/check.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "solver/shown_lock.h"

std::mutex shownLock;

namespace {

// The worker of the current solve. Only the window thread touches the thread
// object; it is never destroyed, so a process that ends without stopping the
// worker is not terminated by a joinable std::thread.
std::thread& workerThread = *new std::thread;

// workerRunning is true from the worker's creation until it has finished
// SolveWorker; the waiting window thread is woken when it drops.
// workerNumber counts the workers started, so that a wait knows whether the
// worker it waits for is still the current one.
std::mutex exitMutex;
std::condition_variable exitSignal;
bool workerRunning = false;
unsigned workerNumber = 0;

// Set from the window's end until a new window begins; window thread only.
bool windowEnding = false;

// How long the waiting window thread sleeps between two looks at the messages
// the worker may have sent it.
constexpr std::chrono::milliseconds kSentMessagePoll(2);

void RunWorker(WindowHandle window) {
  SolveWorker(window);
  {
    std::lock_guard<std::mutex> lock(exitMutex);
    workerRunning = false;
  }
  exitSignal.notify_all();
}

}  // namespace

// The messages handled while waiting can come from anywhere, and one of them
// may run a stop step or a start itself (a WM_CLOSE or a command sent by
// another program): then this wait is entered again inside itself. The inner
// wait joins the worker, and a start also begins a new one; so the outer wait
// ends as soon as its own worker has ended, and joins it only if no inner
// wait has.
void WaitForWorker(WindowHandle window) {
  if (!workerThread.joinable()) return;
  std::unique_lock<std::mutex> lock(exitMutex);
  const unsigned awaited = workerNumber;
  while (workerRunning && workerNumber == awaited) {
    // A plain join here could deadlock: the worker's message box disables its
    // owner window, which is a message sent to this thread.
    lock.unlock();
    HandleSentMessages(window);
    lock.lock();
    exitSignal.wait_for(lock, kSentMessagePoll,
                        [awaited] { return !workerRunning || workerNumber != awaited; });
  }
  const bool ownWorker = workerNumber == awaited;
  lock.unlock();
  if (ownWorker && workerThread.joinable()) workerThread.join();
}

// Repeats until no worker is left: a start handled while waiting leaves a new
// worker behind, which this step must stop too, since its caller goes on to
// change the board.
bool StopWorker(WindowHandle window) {
  do {
    board.searchStopped.store(1);
    EnableStartSearch(window, true);
    WaitForWorker(window);
  } while (workerThread.joinable());
  return !windowEnding;
}

void EndSearching(WindowHandle window) {
  windowEnding = true;
  StopWorker(window);
}

void BeginSearching() { windowEnding = false; }

namespace {

// Command 500 up to the worker's start: false when the clues clash, which has
// then been reported, or when the window is closing.
bool PrepareStart(WindowHandle window) {
  if (!StopWorker(window)) return false;
  if (board.solutionShown == 0) {
    ClearWorking();
    DrawAllCells(window);
  }
  if (CheckInput(window, 0, 0) == 0) {
    ShowResultMessage(window, ResultMessage::kInputConflict);
    // The message box handles every message, a close among them.
    if (!windowEnding) DrawAllCells(window);
    return false;
  }
  board.searchStopped.store(0);
  EnableStartSearch(window, false);
  return true;
}

}  // namespace

void StartSearch(WindowHandle window) {
  if (!PrepareStart(window)) return;
  {
    std::lock_guard<std::mutex> lock(exitMutex);
    workerRunning = true;
    ++workerNumber;
  }
  try {
    workerThread = std::thread(RunWorker, window);
  } catch (const std::system_error&) {
    {
      std::lock_guard<std::mutex> lock(exitMutex);
      workerRunning = false;
    }
    board.searchStopped.store(1);
    EnableStartSearch(window, true);
    ShowResultMessage(window, ResultMessage::kCannotStart);
  }
}

void StartSearchInPlace(WindowHandle window) {
  if (!PrepareStart(window)) return;
  SolveWorker(window);
}

void AbortSearch(WindowHandle window) {
  if (!StopWorker(window)) return;
  DrawBoard(window);
  DrawAllCells(window);
}

void CopyShown(int32_t cells[kMaxGridSize][kMaxGridSize]) {
  std::lock_guard<std::mutex> lock(shownLock);
  std::memcpy(cells, board.shown, sizeof board.shown);
}

void SolveWorker(WindowHandle window) {
  {
    std::lock_guard<std::mutex> lock(shownLock);
    Propagate(window);
  }
  const int result = SearchFrom(window, 0, 0);
  if (result == kSearchStopped) return;
  if (result == kSearchFailed) {
    ShowResultMessage(window, ResultMessage::kNoSolution);
    std::lock_guard<std::mutex> lock(shownLock);
    ClearWorking();
  }
  DrawBoard(window);
  DrawAllCells(window);
  board.searchStopped.store(1);
  EnableStartSearch(window, true);
}
