#include "tools/maker_generate.h"

#include <chrono>
#include <cstdio>

#include "file/puzzle_text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr Clock::duration kQuietStart = std::chrono::seconds(1);
constexpr Clock::duration kProgressEvery = std::chrono::milliseconds(250);

// "made K of COUNT", rewritten in place on standard error after the first
// second; Done ends the line if one was written.
class Progress {
 public:
  explicit Progress(int64_t count) : count_(count), next_(Clock::now() + kQuietStart) {}

  void Show(int64_t made) {
    const Clock::time_point now = Clock::now();
    if (now < next_) return;
    next_ = now + kProgressEvery;
    Write(made);
  }

  void Done() {
    if (!shown_) return;
    Write(count_);
    std::fputc('\n', stderr);
  }

 private:
  void Write(int64_t made) {
    shown_ = true;
    std::fprintf(stderr, "\rcorvana-solve: made %lld of %lld puzzles", static_cast<long long>(made),
                 static_cast<long long>(count_));
    std::fflush(stderr);
  }

  int64_t count_;
  Clock::time_point next_;
  bool shown_ = false;
};

}  // namespace

std::string PuzzleLine(const MakerBoard& puzzle) {
  static int32_t cells[kMaxGridSize][kMaxGridSize];
  for (int y = 0; y < puzzle.size; ++y) {
    for (int x = 0; x < puzzle.size; ++x) cells[x][y] = puzzle.cells[y * puzzle.size + x];
  }
  std::string text = PuzzleToText(puzzle.size, cells);
  text.pop_back();
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

void RunGenerate(const GenerateRun& run, const std::function<bool(const MakerBoard&)>& keep) {
  MakerRandom random(run.seed);
  Progress progress(run.count);
  for (int64_t made = 0; made < run.count;) {
    const MakerBoard puzzle = MakePuzzle(run.request, &random);
    if (keep(puzzle)) {
      std::printf("%s\n", PuzzleLine(puzzle).c_str());
      ++made;
    }
    progress.Show(made);
  }
  progress.Done();
}
