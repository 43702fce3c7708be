// The start / stop protocol between the window thread and the solve worker.
// Also run under ThreadSanitizer.
#include "solver/worker.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>

#include "solver/board.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "tests/fake_window.h"
#include "tests/test_support.h"

namespace {

const std::string kEmpty9(81, '.');
const std::string kNoSolution =
    "12345678....................................9....................................";
const std::string kClash =
    "3.........3......................................................................";
// magictour top1465, line 252: propagation places 18 digits, the search the rest.
const std::string kHard =
    ".2......6....41.....78....1......7....37.....6..412....1..74..5..8.5..7......39..";

// Holds the worker inside a drawing call until a stop has been asked for, so
// the stop always lands in the middle of the solve however fast it is.
std::atomic<bool> workerHeld{false};

void HoldUntilStopped() {
  workerHeld.store(true);
  while (board.searchStopped.load() == 0) std::this_thread::yield();
}

class WorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    board.searchStopped.store(1);
    board.showProgress.store(1);
    ResetFakeWindow();
    workerHeld.store(false);
  }
  void TearDown() override {
    StopWorker(nullptr);
    SetProgressGate(nullptr);
    SetPlacementGate(nullptr);
  }
  // Starts a solve whose worker the progress gate holds, then stops it while
  // another thread sends the window thread `message`: the stop must not throw.
  static void StopWhileSent(const std::function<void()>& message) {
    StartSearch(nullptr);
    while (!workerHeld.load()) std::this_thread::yield();
    std::thread outside([&] { SendToWindowThread(message); });
    EXPECT_NO_THROW(StopWorker(nullptr));
    outside.join();
  }
  static int WorkerCalls(WindowCall call) {
    int count = 0;
    for (const RecordedCall& recorded : RecordedCalls()) {
      count += recorded.onWorker && recorded.call == call;
    }
    return count;
  }
};

TEST_F(WorkerTest, ASolveEndsByRedrawingAndEnablingTheStartItem) {
  LoadBoard(kEmpty9);
  ResetFakeWindow();
  StartSearch(nullptr);
  WaitForWorker(nullptr);
  std::vector<RecordedCall> calls = RecordedCalls();
  ASSERT_GE(calls.size(), 6u);
  EXPECT_EQ(calls[0].call, WindowCall::kEnableStartSearch);  // the stop step
  EXPECT_EQ(calls[0].a, 1);
  EXPECT_EQ(calls[1].call, WindowCall::kDrawAllCells);  // working cells cleared
  EXPECT_EQ(calls[2].call, WindowCall::kEnableStartSearch);
  EXPECT_EQ(calls[2].a, 0) << "greyed while the worker runs";
  EXPECT_FALSE(calls[2].onWorker);
  const size_t last = calls.size() - 1;
  EXPECT_EQ(calls[last - 2].call, WindowCall::kDrawBoard);
  EXPECT_EQ(calls[last - 1].call, WindowCall::kDrawAllCells);
  EXPECT_EQ(calls[last].call, WindowCall::kEnableStartSearch);
  EXPECT_EQ(calls[last].a, 1);
  EXPECT_TRUE(calls[last].onWorker);
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_EQ(board.solutionShown, 1);

  // With the solution on screen, a start neither clears nor redraws first.
  ResetFakeWindow();
  StartSearch(nullptr);
  WaitForWorker(nullptr);
  calls = RecordedCalls();
  EXPECT_EQ(calls[1].call, WindowCall::kEnableStartSearch);
  EXPECT_EQ(calls[1].a, 0);
}

TEST_F(WorkerTest, AClashStopsBeforeAnyWorker) {
  LoadBoard(kClash);
  ResetFakeWindow();
  StartSearch(nullptr);
  const std::vector<RecordedCall> calls = RecordedCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[2].call, WindowCall::kResultMessage);
  EXPECT_EQ(calls[2].a, static_cast<int>(ResultMessage::kInputConflict));
  EXPECT_EQ(calls[3].call, WindowCall::kDrawAllCells) << "the pair is drawn after the message";
  for (const RecordedCall& call : calls) EXPECT_FALSE(call.onWorker);
  EXPECT_EQ(board.searchStopped.load(), 1);
}

// The worker's message box needs the window thread (it disables its owner
// window); waiting for the worker with a plain join would hang here.
TEST_F(WorkerTest, WaitingHandlesTheMessageTheWorkerSends) {
  LoadBoard(kNoSolution);
  ResetFakeWindow();
  const int handledBefore = SentMessagesHandled();
  StartSearch(nullptr);
  WaitForWorker(nullptr);
  EXPECT_EQ(SentMessagesHandled(), handledBefore + 1);
  EXPECT_EQ(WorkerCalls(WindowCall::kResultMessage), 1);
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_EQ(board.shown[0][0], 1);
  EXPECT_EQ(board.shown[0][1], 0) << "only the clues are left";
}

TEST_F(WorkerTest, AStopUnwindsTheSearchAndSkipsTheWorkersLastSteps) {
  LoadBoard(kEmpty9);
  ResetFakeWindow();
  SetProgressGate(HoldUntilStopped);
  StartSearch(nullptr);
  while (!workerHeld.load()) std::this_thread::yield();
  AbortSearch(nullptr);
  EXPECT_EQ(WorkerCalls(WindowCall::kResultMessage), 0);
  EXPECT_EQ(WorkerCalls(WindowCall::kDrawBoard), 0);
  EXPECT_EQ(WorkerCalls(WindowCall::kEnableStartSearch), 0);
  EXPECT_GE(WorkerCalls(WindowCall::kDrawProgressCell), 1);
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_NE(board.shown[0][0], 0) << "the partial search state stays on the board";
  const std::vector<RecordedCall> calls = RecordedCalls();
  EXPECT_EQ(calls[calls.size() - 2].call, WindowCall::kDrawBoard);
  EXPECT_EQ(calls.back().call, WindowCall::kDrawAllCells);
}

// While a stop waits for the worker, the window thread handles the messages
// other threads send it, and one of them may run the stop step itself (a
// WM_CLOSE or a command sent from outside): the outer wait must then find the
// worker already gone rather than join it a second time.
TEST_F(WorkerTest, AStopSurvivesAMessageThatStopsTheWorkerWhileItWaits) {
  LoadBoard(kEmpty9);
  ResetFakeWindow();
  std::atomic<bool> messageHandled{false};
  // The worker stays inside the search until the message has arrived.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  SetProgressGate([&] {
    workerHeld.store(true);
    while (!messageHandled.load() && std::chrono::steady_clock::now() < until) {
      std::this_thread::yield();
    }
  });
  StopWhileSent([&] {
    messageHandled.store(true);
    StopWorker(nullptr);
  });
  EXPECT_TRUE(messageHandled.load());
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_EQ(WorkerCalls(WindowCall::kEnableStartSearch), 0) << "the worker was stopped";

  // And the next solve starts and ends normally.
  SetProgressGate(nullptr);
  RetireWorkers();
  StartSearch(nullptr);
  WaitForWorker(nullptr);
  EXPECT_EQ(board.solutionShown, 1);
  EXPECT_FALSE(LateWorkerCallSeen());
}

// A start command sent from outside while a stop waits starts a new worker
// in the middle of the stop step; the step still ends with no worker running,
// the new one stopped and the start item enabled, since the command that ran
// it goes on to change the board.
TEST_F(WorkerTest, AStopAlsoStopsAWorkerStartedByAMessageWhileItWaits) {
  LoadBoard(kEmpty9);
  ResetFakeWindow();
  std::atomic<bool> messageHandled{false};
  // The first worker stays until the message has arrived, the second until it
  // is asked to stop (or, if nobody asks, for five seconds, and then solves).
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  SetProgressGate([&] {
    workerHeld.store(true);
    if (!messageHandled.load()) {
      while (!messageHandled.load() && std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
      }
      return;
    }
    while (board.searchStopped.load() == 0 && std::chrono::steady_clock::now() < until) {
      std::this_thread::yield();
    }
  });
  StopWhileSent([&] {
    messageHandled.store(true);
    StartSearch(nullptr);
  });
  RetireWorkers();
  EXPECT_TRUE(messageHandled.load());
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_EQ(board.solutionShown, 0) << "the second worker ran to its end";
  EXPECT_EQ(WorkerCalls(WindowCall::kEnableStartSearch), 0);
  int startItem = -1;  // the last state the start item was given
  for (const RecordedCall& call : RecordedCalls()) {
    if (call.call == WindowCall::kEnableStartSearch) startItem = call.a;
  }
  EXPECT_EQ(startItem, 1) << "the start item is left enabled";
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(LateWorkerCallSeen()) << "a worker outlived the stop step";
}

TEST_F(WorkerTest, AStopDuringPropagationTakesEffectWhenTheSearchBegins) {
  LoadBoard(kHard);
  board.showProgress.store(0);
  Propagate(nullptr);
  const std::string propagated = LayerLine(board.fixed);
  board.showProgress.store(1);
  LoadBoard(kHard);
  ResetFakeWindow();
  SetPlacementGate(HoldUntilStopped);
  StartSearch(nullptr);
  while (!workerHeld.load()) std::this_thread::yield();
  StopWorker(nullptr);
  EXPECT_EQ(LayerLine(board.fixed), propagated) << "propagation ran to its end";
  EXPECT_EQ(WorkerCalls(WindowCall::kDrawProgressCell), 0);
  EXPECT_EQ(WorkerCalls(WindowCall::kResultMessage), 0);
}

// A resumed search stopped before it has passed the solution on screen keeps
// it and resumes again; stopped after that, the next start is a fresh one.
TEST_F(WorkerTest, AStoppedResumeGoesOnWhereItLeftOff) {
  LoadBoard(kEmpty9);
  StartSearch(nullptr);
  WaitForWorker(nullptr);
  const std::string first = LayerLine(board.shown);
  StartSearch(nullptr);
  WaitForWorker(nullptr);
  const std::string second = LayerLine(board.shown);
  ASSERT_NE(first, second);

  LoadBoard(kEmpty9);
  StartSearch(nullptr);
  WaitForWorker(nullptr);
  SetProgressGate(HoldUntilStopped);
  StartSearch(nullptr);
  while (!workerHeld.load()) std::this_thread::yield();
  StopWorker(nullptr);
  SetProgressGate(nullptr);
  if (board.solutionShown == 1) {
    EXPECT_EQ(LayerLine(board.shown), first);
  }
  const std::string expected = board.solutionShown == 1 ? second : first;
  StartSearch(nullptr);
  WaitForWorker(nullptr);
  EXPECT_EQ(LayerLine(board.shown), expected);
}

TEST_F(WorkerTest, RapidStartsAndStopsNeverRunTwoWorkers) {
  std::mt19937 random(7);
  std::string empty25Line;
  for (int i = 0; i < 625; ++i) empty25Line += i == 0 ? "0" : " 0";
  for (int cycle = 0; cycle < 300; ++cycle) {
    switch (random() % 4) {
      case 0:
        LoadBoard(empty25Line);
        break;
      case 1:
        LoadBoard(kHard);
        break;
      case 2:
        StopWorker(nullptr);
        board.gridSize = 16;
        ResetBoard(nullptr);
        break;
      default:
        break;
    }
    RetireWorkers();
    StartSearch(nullptr);
    if (random() % 2 == 0) std::this_thread::sleep_for(std::chrono::microseconds(random() % 500));
    if (random() % 2 == 0) {
      AbortSearch(nullptr);
    } else {
      StopWorker(nullptr);
    }
    ASSERT_FALSE(LateWorkerCallSeen()) << "cycle " << cycle;
    ASSERT_EQ(board.searchStopped.load(), 1);
  }
}

struct StartOutcome {
  std::vector<RecordedCall> calls;
  std::string fixed;
  std::string shown;
  int solutionShown;
};

// Two starts on a fresh board, each either through the worker or in place.
std::vector<StartOutcome> TwoStarts(const std::string& puzzle, bool inPlace) {
  LoadBoard(puzzle);
  std::vector<StartOutcome> outcomes;
  for (int start = 0; start < 2; ++start) {
    ResetFakeWindow();
    if (inPlace) {
      StartSearchInPlace(nullptr);
    } else {
      StartSearch(nullptr);
      WaitForWorker(nullptr);
    }
    outcomes.push_back(
        {RecordedCalls(), LayerLine(board.fixed), LayerLine(board.shown), board.solutionShown});
  }
  return outcomes;
}

// The command-line tool's start: everything the worker does, in the same
// order, on the calling thread.
TEST_F(WorkerTest, AStartInPlaceDoesWhatTheWorkerDoes) {
  std::string empty16Line;
  for (int i = 0; i < 256; ++i) empty16Line += i == 0 ? "0" : " 0";
  for (const std::string& puzzle : {kEmpty9, kHard, kNoSolution, kClash, empty16Line}) {
    const std::vector<StartOutcome> worker = TwoStarts(puzzle, false);
    const std::vector<StartOutcome> inPlace = TwoStarts(puzzle, true);
    for (size_t start = 0; start < worker.size(); ++start) {
      const std::string where = puzzle.substr(0, 20) + ", start " + std::to_string(start + 1);
      EXPECT_EQ(inPlace[start].fixed, worker[start].fixed) << where;
      EXPECT_EQ(inPlace[start].shown, worker[start].shown) << where;
      EXPECT_EQ(inPlace[start].solutionShown, worker[start].solutionShown) << where;
      ASSERT_EQ(inPlace[start].calls.size(), worker[start].calls.size()) << where;
      for (size_t i = 0; i < worker[start].calls.size(); ++i) {
        const RecordedCall& expected = worker[start].calls[i];
        const RecordedCall& got = inPlace[start].calls[i];
        EXPECT_FALSE(got.onWorker) << where << ", call " << i;
        EXPECT_EQ(static_cast<int>(got.call), static_cast<int>(expected.call))
            << where << ", call " << i;
        EXPECT_EQ(got.a, expected.a) << where << ", call " << i;
        EXPECT_EQ(got.b, expected.b) << where << ", call " << i;
      }
    }
  }
  EXPECT_EQ(board.searchStopped.load(), 1);
}

// Nothing but another thread can stop a start in place; it then ends as a
// stopped worker does, without a result.
TEST_F(WorkerTest, AStartInPlaceEndsWhenAnotherThreadStopsIt) {
  LoadBoard(kEmpty9);
  ResetFakeWindow();
  SetProgressGate(HoldUntilStopped);
  std::thread stopper([] {
    while (!workerHeld.load()) std::this_thread::yield();
    board.searchStopped.store(1);
  });
  StartSearchInPlace(nullptr);
  stopper.join();
  EXPECT_EQ(CountCalls(WindowCall::kResultMessage), 0);
  EXPECT_EQ(CountCalls(WindowCall::kDrawBoard), 0);
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_NE(board.shown[0][0], 0) << "the partial search state stays on the board";
}

// Ctrl+C copies the board while the worker may be writing it. The worker is
// held in the middle of a step, just after its first digit, and the window
// thread copies then: the copy must hold the whole step, never a part. The
// steps are propagation (its digits are the cells left fixed) and, with the
// search too fast for a progress drawing, the found solution (every cell).
TEST_F(WorkerTest, ACopyDuringASolveHoldsNoHalfStep) {
  for (const bool inSolution : {false, true}) {
    LoadBoard(kHard);
    ResetFakeWindow();
    workerHeld.store(false);
    std::atomic<bool> copied{false};
    const auto gate = [&] {
      if (workerHeld.exchange(true)) return;
      // Long enough for an unguarded copy to land inside the step.
      const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
      while (!copied.load() && std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
      }
    };
    SetProgressPace(3600.0, 3600.0);
    if (inSolution)
      SetProgressGate(gate);
    else
      SetPlacementGate(gate);
    StartSearch(nullptr);
    while (!workerHeld.load()) std::this_thread::yield();
    int32_t copy[kMaxGridSize][kMaxGridSize];
    CopyShown(copy);
    copied.store(true);
    WaitForWorker(nullptr);
    SetProgressGate(nullptr);
    SetPlacementGate(nullptr);
    SetProgressPace(0.1, 0.25);
    ASSERT_EQ(board.solutionShown, 1);
    int kept = 0, written = 0;
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 9; ++x) {
        if (!inSolution && board.fixed[x][y] == 0) continue;
        ++written;
        kept += copy[x][y] == board.shown[x][y];
      }
    }
    EXPECT_EQ(kept, written) << (inSolution ? "solution" : "propagation") << " copied in part";
  }
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Runs in a child process: with no room left for a thread stack the solve
// cannot start, and the board must not stay locked against input.
void StartWithoutRoomForAThread() {
  LoadBoard(kEmpty9);
  ResetFakeWindow();
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  long pages = 0;
  if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) std::_Exit(3);
  std::fclose(statm);
  const rlim_t limit = static_cast<rlim_t>(pages) * 4096 + (1 << 20);
  const rlimit space = {limit, limit};
  if (setrlimit(RLIMIT_AS, &space) != 0) std::_Exit(4);
  StartSearch(nullptr);
  const std::vector<RecordedCall> calls = RecordedCalls();
  const bool reported = CountCalls(WindowCall::kResultMessage) == 1 &&
                        calls.back().a == static_cast<int>(ResultMessage::kCannotStart);
  const RecordedCall enable = calls[calls.size() - 2];
  const bool usable = board.searchStopped.load() == 1 &&
                      enable.call == WindowCall::kEnableStartSearch && enable.a == 1;
  std::_Exit(reported && usable ? 0 : 1);
}

TEST(WorkerDeathTest, AWorkerThatCannotStartLeavesTheBoardUsable) {
  EXPECT_EXIT(StartWithoutRoomForAThread(), ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
