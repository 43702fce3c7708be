// Two starts per puzzle, as the solve worker runs them: Propagate and
// SearchFrom for the first solution, then Propagate and SearchFrom again with
// that solution on screen (which on a puzzle with one solution proves there is
// no other). One benchmark per puzzle set of the data folder; each reports the
// median and the worst time per puzzle (wall clock, as a user waits for it),
// how many puzzles ran past the time limit, and the processor time of the
// whole program over the set (a long count runs on two threads). Puzzles under
// 10 ms are timed three times and count by their fastest run; median_first_ms
// is the median of the first runs alone, what a file of different puzzles
// meets: a run straight after the same puzzle repeats the very same search,
// which the processor's branch history and caches still hold, and is faster.
// Built twice: on the fast search and on the reference search.
//
//   search_benchmark [--data=DIR] [--limit_s=SECONDS] [--max_puzzles=K] [--runs=R]
//                    [--progress] [benchmark flags]
//
// DIR defaults to $CORVANA_DATA, else ../shared/data beside the repository.
// --max_puzzles=K times at most K puzzles of each set, evenly spread (for the
// slow reference). --progress runs with the progress display on: every
// drawing the search asks for is made, on a window that shows nothing, so
// the time is what watching costs the search itself. A puzzle that takes
// under 10 ms is timed R times (default 3) and its fastest time kept;
// --runs=1 runs every puzzle once, so that the work of a run does not depend
// on timing (for counting instructions under valgrind).
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "solver/board.h"
#include "solver/propagate.h"
#include "solver/search.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Puzzle {
  int gridSize;
  std::vector<int> clues;  // reading order
};

struct Settings {
  std::string dataDir;
  double limitSeconds = 10.0;
  int maxPuzzles = 0;  // 0: every puzzle of a set
  int runs = 3;
  bool progress = false;
};

Settings settings;

// Sets searchStopped when the deadline of the running puzzle passes, so that
// a search that runs too long ends through its own stop check.
std::mutex watchMutex;
std::condition_variable watchSignal;
Clock::time_point deadline = Clock::time_point::max();
bool watchEnds = false;

void Watch() {
  std::unique_lock<std::mutex> lock(watchMutex);
  while (!watchEnds) {
    if (deadline == Clock::time_point::max()) {
      watchSignal.wait(lock);
    } else if (watchSignal.wait_until(lock, deadline) == std::cv_status::timeout &&
               Clock::now() >= deadline) {
      board.searchStopped.store(1);
      deadline = Clock::time_point::max();
    }
  }
}

void SetDeadline(Clock::time_point when) {
  {
    std::lock_guard<std::mutex> lock(watchMutex);
    deadline = when;
  }
  watchSignal.notify_one();
}

bool ParseLine(const std::string& line, Puzzle* puzzle) {
  if (line.size() == 81 && line.find(' ') == std::string::npos) {
    puzzle->gridSize = 9;
    for (char c : line) puzzle->clues.push_back(c >= '1' && c <= '9' ? c - '0' : 0);
    return true;
  }
  std::istringstream in(line);
  int value = 0;
  while (in >> value) puzzle->clues.push_back(value);
  const size_t count = puzzle->clues.size();
  puzzle->gridSize = count == 256 ? 16 : (count == 625 ? 25 : 0);
  return puzzle->gridSize != 0;
}

std::vector<Puzzle> ReadSet(const std::string& path) {
  std::vector<Puzzle> puzzles;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Puzzle puzzle;
    if (ParseLine(line, &puzzle)) puzzles.push_back(std::move(puzzle));
  }
  return puzzles;
}

void LoadBoard(const Puzzle& puzzle) {
  board.gridSize = puzzle.gridSize;
  ResetBoard(nullptr);
  for (int y = 0; y < puzzle.gridSize; ++y) {
    for (int x = 0; x < puzzle.gridSize; ++x) {
      const int digit = puzzle.clues[y * puzzle.gridSize + x];
      board.given[x][y] = digit;
      board.fixed[x][y] = digit;
      board.shown[x][y] = digit;
    }
  }
}

// What the worker does for one start; false when it did not finish.
bool Start(int* result) {
  Propagate(nullptr);
  *result = SearchFrom(nullptr, 0, 0);
  return *result != kSearchStopped;
}

// Processor time of the whole program, every thread.
double ProcessSeconds() {
  timespec now = {};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Seconds for both starts of one puzzle, or a negative value past the limit.
double TwoStarts(const Puzzle& puzzle) {
  LoadBoard(puzzle);
  board.searchStopped.store(0);
  // Waking the watcher is the harness's own cost: the clock starts after it.
  SetDeadline(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(settings.limitSeconds)));
  const Clock::time_point begin = Clock::now();
  int result = kSearchFailed;
  bool finished = Start(&result);
  if (finished && result == kSearchFound) finished = Start(&result);
  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  SetDeadline(Clock::time_point::max());
  board.searchStopped.store(1);
  return finished ? seconds : -1.0;
}

void RunSet(benchmark::State& state, const std::vector<Puzzle>& puzzles) {
  std::vector<double> times;
  std::vector<double> firstTimes;
  int unfinished = 0;
  const double beginCpu = ProcessSeconds();
  for (auto _ : state) {
    times.clear();
    firstTimes.clear();
    unfinished = 0;
    const size_t step = settings.maxPuzzles > 0
                            ? (puzzles.size() + settings.maxPuzzles - 1) / settings.maxPuzzles
                            : 1;
    for (size_t i = 0; i < puzzles.size(); i += step) {
      // The fastest of a few runs, for puzzles quick enough to repeat.
      double best = TwoStarts(puzzles[i]);
      if (best >= 0) firstTimes.push_back(best);
      for (int repeat = 1; repeat < settings.runs && best >= 0 && best < 0.01; ++repeat) {
        const double again = TwoStarts(puzzles[i]);
        best = std::min(best, again);
      }
      if (best < 0) {
        ++unfinished;
      } else {
        times.push_back(best);
      }
    }
  }
  std::sort(times.begin(), times.end());
  const double median = times.empty() ? 0 : times[times.size() / 2];
  const double worst = times.empty() ? 0 : times.back();
  std::sort(firstTimes.begin(), firstTimes.end());
  const double firstMedian = firstTimes.empty() ? 0 : firstTimes[firstTimes.size() / 2];
  state.counters["puzzles"] = static_cast<double>(times.size() + unfinished);
  state.counters["median_ms"] = median * 1e3;
  state.counters["median_first_ms"] = firstMedian * 1e3;
  state.counters["worst_ms"] = worst * 1e3;
  state.counters["unfinished"] = unfinished;
  state.counters["cpu_s"] = ProcessSeconds() - beginCpu;
}

std::string DefaultDataDir() {
  const char* fromEnv = std::getenv("CORVANA_DATA");
  if (fromEnv != nullptr && *fromEnv != '\0') return fromEnv;
  return std::string(CORVANA_SOURCE_DIR) + "/../shared/data";
}

std::vector<std::string> SetFiles(const std::string& dir) {
  std::vector<std::string> names;
  DIR* folder = opendir(dir.c_str());
  if (folder == nullptr) return names;
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) names.push_back(name);
  }
  closedir(folder);
  std::sort(names.begin(), names.end());
  return names;
}

// Takes this program's own flags out of argv, leaving Google Benchmark's.
void ParseSettings(int* argc, char** argv) {
  settings.dataDir = DefaultDataDir();
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--data=", 0) == 0) {
      settings.dataDir = arg.substr(7);
    } else if (arg.rfind("--limit_s=", 0) == 0) {
      settings.limitSeconds = std::atof(arg.c_str() + 10);
    } else if (arg.rfind("--max_puzzles=", 0) == 0) {
      settings.maxPuzzles = std::max(0, std::atoi(arg.c_str() + 14));
    } else if (arg.rfind("--runs=", 0) == 0) {
      settings.runs = std::max(1, std::atoi(arg.c_str() + 7));
    } else if (arg == "--progress") {
      settings.progress = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  *argc = kept;
}

}  // namespace

int main(int argc, char** argv) {
  ParseSettings(&argc, argv);
  benchmark::Initialize(&argc, argv);
  const std::vector<std::string> files = SetFiles(settings.dataDir);
  if (files.empty()) {
    std::fprintf(stderr, "search_benchmark: no puzzle sets in %s; nothing to measure\n",
                 settings.dataDir.c_str());
    return 0;
  }
  static std::vector<std::vector<Puzzle>> sets;
  sets.reserve(files.size());
  for (const std::string& name : files) {
    sets.push_back(ReadSet(settings.dataDir + "/" + name));
    const std::vector<Puzzle>* puzzles = &sets.back();
    benchmark::RegisterBenchmark(name.substr(0, name.size() - 4).c_str(),
                                 [puzzles](benchmark::State& state) { RunSet(state, *puzzles); })
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  }
  board.showProgress.store(settings.progress ? 1 : 0);
  std::thread watcher(Watch);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  {
    std::lock_guard<std::mutex> lock(watchMutex);
    watchEnds = true;
  }
  watchSignal.notify_one();
  watcher.join();
  return 0;
}
