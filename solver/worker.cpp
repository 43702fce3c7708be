#include "solver/worker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "solver/board.h"
#include "solver/check.h"
#include "solver/propagate.h"
#include "solver/search.h"

namespace {

// The worker of the current solve. Only the window thread touches the thread
// object; it is never destroyed, so a process that ends without stopping the
// worker is not terminated by a joinable std::thread.
std::thread& workerThread = *new std::thread;

// workerRunning is true from the worker's creation until it has finished
// SolveWorker; the waiting window thread is woken when it drops.
std::mutex exitMutex;
std::condition_variable exitSignal;
bool workerRunning = false;

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

void WaitForWorker(WindowHandle window) {
  if (!workerThread.joinable()) return;
  std::unique_lock<std::mutex> lock(exitMutex);
  while (workerRunning) {
    // A plain join here could deadlock: the worker's message box disables its
    // owner window, which is a message sent to this thread.
    lock.unlock();
    HandleSentMessages(window);
    lock.lock();
    exitSignal.wait_for(lock, kSentMessagePoll, [] { return !workerRunning; });
  }
  lock.unlock();
  workerThread.join();
}

void StopWorker(WindowHandle window) {
  board.searchStopped.store(1);
  EnableStartSearch(window, true);
  WaitForWorker(window);
}

namespace {

// Command 500 up to the worker's start: false when the clues clash, which has
// then been reported.
bool PrepareStart(WindowHandle window) {
  StopWorker(window);
  if (board.solutionShown == 0) {
    ClearWorking();
    DrawAllCells(window);
  }
  if (CheckInput(window, 0, 0) == 0) {
    ShowResultMessage(window, ResultMessage::kInputConflict);
    DrawAllCells(window);
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
  StopWorker(window);
  DrawBoard(window);
  DrawAllCells(window);
}

void SolveWorker(WindowHandle window) {
  Propagate(window);
  const int result = SearchFrom(window, 0, 0);
  if (result == kSearchStopped) return;
  if (result == kSearchFailed) {
    ShowResultMessage(window, ResultMessage::kNoSolution);
    ClearWorking();
  }
  DrawBoard(window);
  DrawAllCells(window);
  board.searchStopped.store(1);
  EnableStartSearch(window, true);
}
