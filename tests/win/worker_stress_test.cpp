// The solve worker in the real program under rapid commands: hundreds of
// start / stop / new-board / load cycles on a 25 x 25 board with the progress
// display on. The window must never hang or crash, never run two workers, be
// idle after every stopping command, and have no worker left once the window
// and its canvas are gone.
#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>

#include "solver/board.h"
#include "tests/win/window_fixture.h"
#include "view/canvas.h"

namespace {

// Threads made with std::thread all begin in the same start routine of the
// thread library, which no thread of Wine's own uses; the solve worker is one
// of them. Wine learns a thread's start address only once the thread has
// begun to run, so a thread that shows none yet is one just created: counted
// too, or a worker made a moment ago would be missed.
constexpr int kThreadQuerySetWin32StartAddress = 9;
using QueryThread = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
void* const kUnknownThread = reinterpret_cast<void*>(~uintptr_t{0});

void* StartAddressOf(DWORD threadId) {
  static const auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  void* address = kUnknownThread;
  HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
  if (thread == nullptr) return kUnknownThread;
  if (query(thread, kThreadQuerySetWin32StartAddress, &address, sizeof address, nullptr) != 0) {
    address = kUnknownThread;
  }
  CloseHandle(thread);
  return address;
}

int ThreadsStartingAt(void* address) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    const void* start = StartAddressOf(entry.th32ThreadID);
    count += start == address || start == nullptr;
  }
  CloseHandle(snapshot);
  return count;
}

class WorkerStressTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // A parked std::thread shows the start routine they all share.
    probe_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      probeId_ = GetCurrentThreadId();
      ready_.notify_all();
      ready_.wait(lock, [this] { return release_; });
    });
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return probeId_ != 0; });
    startRoutine_ = StartAddressOf(probeId_);
    // The probe and the dialog watcher.
    ownThreads_ = ThreadsStartingAt(startRoutine_);
  }
  void TearDown() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      release_ = true;
    }
    ready_.notify_all();
    probe_.join();
    WindowTest::TearDown();
  }

  int Workers() { return ThreadsStartingAt(startRoutine_) - ownThreads_; }

  void ExpectIdle(const char* after, int cycle) {
    ASSERT_EQ(Workers(), 0) << after << " in cycle " << cycle;
    ASSERT_EQ(board.searchStopped.load(), 1) << after << " in cycle " << cycle;
    ASSERT_FALSE(IsStartGreyed()) << after << " in cycle " << cycle;
  }

  std::thread probe_;
  std::mutex mutex_;
  std::condition_variable ready_;
  DWORD probeId_ = 0;
  bool release_ = false;
  void* startRoutine_ = nullptr;
  int ownThreads_ = 0;
};

TEST_F(WorkerStressTest, RapidStartStopNewBoardAndLoadNeverRunTwoWorkers) {
  ASSERT_NE(startRoutine_, nullptr);
  ASSERT_EQ(ownThreads_, 2);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + "corvana-stress.cvn";
  {
    std::vector<char> bytes = {0x01, 0x02, 0x72, 25};
    bytes.resize(4 + 625, 0);
    bytes[4] = 7;  // one clue keeps the solve long
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  NewBoard(25);
  int running = 0;
  constexpr int kCycles = 400;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    Command(500);
    ASSERT_LE(Workers(), 1) << "after start in cycle " << cycle;
    if (cycle % 3 == 0) PumpMessages();          // paints while the worker draws
    running += board.searchStopped.load() == 0;  // the solve has not ended yet
    switch (cycle % 8) {
      case 0:
      case 1:
      case 2:
        Command(501);
        ExpectIdle("stop", cycle);
        break;
      case 3:
        Command(500);  // sent directly, past the greyed item
        ASSERT_LE(Workers(), 1) << "second start in cycle " << cycle;
        Command(302);
        ExpectIdle("new board", cycle);
        break;
      case 4:
        Command(cycle % 16 == 4 ? 801 : 800);  // progress display flips under the worker
        Command(200);
        ExpectIdle("clear", cycle);
        Command(800);
        break;
      case 5:
        watcher_->Queue(ChooseFile(path));
        Command(102);
        ExpectIdle("load", cycle);
        ASSERT_EQ(board.given[0][0], 7);
        break;
      case 6:
        Command(600);
        ExpectIdle("cancel", cycle);
        break;
      default:
        Command(301);
        ExpectIdle("new 16 board", cycle);
        Command(302);
        break;
    }
    if (HasFatalFailure()) break;
  }
  // Whether the solves were still busy when stopped depends on the search's
  // speed; report it so a run that never overlapped shows as such.
  std::printf("[ stress   ] %d of %d solves were still running when stopped\n", running, kCycles);

  // The end of the program while a solve runs: the worker is gone before the
  // canvas, and nothing is left to draw afterwards.
  Command(500);
  DestroyWindow(window_);
  window_ = nullptr;
  EXPECT_EQ(canvas, nullptr);
  EXPECT_EQ(Workers(), 0);
  DeleteFileA(path.c_str());
}

// The solve is certainly running when the window closes: the worker waits at
// its first drawing step until the canvas is let go, and the close follows at
// once. (A confirmed Exit ends through the same path.)
TEST_F(WorkerStressTest, ClosingTheWindowStopsTheRunningSolveBeforeTheCanvasGoes) {
  NewBoard(25);
  {
    std::lock_guard<std::recursive_mutex> hold(canvasLock);
    Command(500);
    ASSERT_EQ(Workers(), 1);
  }
  SendMessageA(window_, WM_CLOSE, 0, 0);
  window_ = nullptr;
  EXPECT_EQ(Workers(), 0);
  EXPECT_EQ(canvas, nullptr);
}

}  // namespace
