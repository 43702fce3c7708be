#include "tests/fake_window.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "solver/board.h"

namespace {

std::mutex callsMutex;
std::vector<RecordedCall> calls;
std::thread::id windowThread;
std::function<void()> progressGate;
std::function<void()> placementGate;
std::atomic<int> workerCount{0};
std::atomic<int> retiredUpTo{0};
std::atomic<bool> lateCallSeen{false};

// The one message the worker can have "sent" to the window thread.
std::mutex sentMutex;
std::condition_variable sentDone;
bool sentPending = false;
int sentHandled = 0;

// The one message another thread can have sent: waiting, being handled (the
// handler may wait for a worker itself and so come back here), or none.
enum class OutsideMessage { kNone, kPending, kRunning };
OutsideMessage outsideState = OutsideMessage::kNone;
std::function<void()> outsideHandler;

// Numbers the worker threads in the order they first call the window.
int WorkerNumber() {
  thread_local int number = 0;
  if (std::this_thread::get_id() == windowThread) return 0;
  if (number == 0) number = ++workerCount;
  return number;
}

void Record(WindowCall call, int a, int b, int digit = 0) {
  const int worker = WorkerNumber();
  if (worker != 0 && worker <= retiredUpTo.load()) lateCallSeen.store(true);
  std::lock_guard<std::mutex> lock(callsMutex);
  calls.push_back({call, a, b, worker != 0, worker, digit});
}

// What a cell drawing would put on the screen.
int ShownDigit(int x, int y) {
  return x >= 0 && y >= 0 && x < kMaxGridSize && y < kMaxGridSize ? board.shown[x][y] : 0;
}

// What the window thread sees of a message box the worker opens: the box
// disables its owner window, a message sent to the window thread.
void SendToWindowThread() {
  std::unique_lock<std::mutex> lock(sentMutex);
  sentPending = true;
  sentDone.wait(lock, [] { return !sentPending; });
}

}  // namespace

void ResetFakeWindow() {
  std::lock_guard<std::mutex> lock(callsMutex);
  calls.clear();
  windowThread = std::this_thread::get_id();
  progressGate = nullptr;
  placementGate = nullptr;
  lateCallSeen.store(false);
  retiredUpTo.store(workerCount.load());
}

std::vector<RecordedCall> RecordedCalls() {
  std::lock_guard<std::mutex> lock(callsMutex);
  return calls;
}

int CountCalls(WindowCall call) {
  int count = 0;
  for (const RecordedCall& recorded : RecordedCalls()) count += recorded.call == call;
  return count;
}

void SetProgressGate(std::function<void()> gate) { progressGate = std::move(gate); }
void SetPlacementGate(std::function<void()> gate) { placementGate = std::move(gate); }
bool LateWorkerCallSeen() { return lateCallSeen.load(); }
void RetireWorkers() { retiredUpTo.store(workerCount.load()); }

int SentMessagesHandled() {
  std::lock_guard<std::mutex> lock(sentMutex);
  return sentHandled;
}

void DrawBoard(WindowHandle) { Record(WindowCall::kDrawBoard, 0, 0); }
void DrawAllCells(WindowHandle) { Record(WindowCall::kDrawAllCells, 0, 0); }

void DrawCell(WindowHandle, int x, int y) {
  if (placementGate && WorkerNumber() != 0) placementGate();
  Record(WindowCall::kDrawCell, x, y, ShownDigit(x, y));
}

void DrawProgressCell(WindowHandle, int x, int y) {
  if (progressGate) progressGate();
  Record(WindowCall::kDrawProgressCell, x, y, ShownDigit(x, y));
}

void CheckMenuCommand(WindowHandle, int commandId, bool checked) {
  Record(WindowCall::kCheckMenu, commandId, checked);
}

void EnableStartSearch(WindowHandle, bool enabled) {
  Record(WindowCall::kEnableStartSearch, enabled, 0);
}

void ShowResultMessage(WindowHandle, ResultMessage message) {
  if (WorkerNumber() != 0) SendToWindowThread();
  Record(WindowCall::kResultMessage, static_cast<int>(message), 0);
}

void SendToWindowThread(std::function<void()> handler) {
  std::unique_lock<std::mutex> lock(sentMutex);
  sentDone.wait(lock, [] { return outsideState == OutsideMessage::kNone; });
  outsideHandler = std::move(handler);
  outsideState = OutsideMessage::kPending;
  sentDone.wait(lock, [] { return outsideState == OutsideMessage::kNone; });
}

void HandleSentMessages(WindowHandle) {
  std::unique_lock<std::mutex> lock(sentMutex);
  if (sentPending) {
    sentPending = false;
    ++sentHandled;
    sentDone.notify_all();
  }
  if (outsideState != OutsideMessage::kPending) return;
  outsideState = OutsideMessage::kRunning;
  const std::function<void()> handler = std::move(outsideHandler);
  lock.unlock();
  handler();
  lock.lock();
  outsideState = OutsideMessage::kNone;
  sentDone.notify_all();
}
