// The clause-learning count of solutions against the depth-first oracle on
// random boards of both larger sizes: the same answer (none, one, several),
// the one solution itself when there is one, a true solution of the clues
// otherwise. Also the hard 25x25 puzzle, the stop request and the budget, the
// decision scan's mask filter, the pool that holds the lists of watchers, and
// two searches racing on a count with the ring between them.
#include "solver/engine/clause_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include "solver/engine/bit_grid.h"
#include "solver/engine/clause_lane.h"
#include "solver/engine/oracle.h"
#include "solver/engine/watch_pool.h"
#include "tests/search_data.h"

namespace {

template <int N>
using Masks = std::vector<uint32_t>;

// A solved board: the standard pattern with its digits, bands, stacks and
// the rows and columns inside them shuffled.
template <int N>
std::vector<int> RandomSolution(std::mt19937* rng) {
  constexpr int n = GridShape<N>::kBox;
  auto shuffledLines = [&] {
    std::vector<int> bands(n);
    std::iota(bands.begin(), bands.end(), 0);
    std::shuffle(bands.begin(), bands.end(), *rng);
    std::vector<int> lines;
    for (int band : bands) {
      std::vector<int> inner(n);
      std::iota(inner.begin(), inner.end(), 0);
      std::shuffle(inner.begin(), inner.end(), *rng);
      for (int i : inner) lines.push_back(band * n + i);
    }
    return lines;
  };
  const std::vector<int> rows = shuffledLines();
  const std::vector<int> columns = shuffledLines();
  std::vector<int> digits(N);
  std::iota(digits.begin(), digits.end(), 1);
  std::shuffle(digits.begin(), digits.end(), *rng);
  std::vector<int> cells(N * N);
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      const int r = rows[y];
      const int c = columns[x];
      cells[y * N + x] = digits[(n * (r % n) + r / n + c) % N];
    }
  }
  return cells;
}

template <int N>
Masks<N> MasksOf(const std::vector<int>& clues) {
  Masks<N> masks(N * N);
  for (int c = 0; c < N * N; ++c) masks[c] = clues[c] != 0 ? BitOf(clues[c]) : GridShape<N>::kAll;
  return masks;
}

// Whether `digits` is a completed board within the masks.
template <int N>
bool IsSolution(const Masks<N>& masks, const uint8_t* digits) {
  const GridTables<N>& tables = Tables<N>();
  for (int c = 0; c < N * N; ++c) {
    if (digits[c] < 1 || digits[c] > N || (masks[c] & BitOf(digits[c])) == 0) return false;
  }
  for (int u = 0; u < GridShape<N>::kUnits; ++u) {
    uint32_t seen = 0;
    for (int k = 0; k < N; ++k) seen |= BitOf(digits[tables.units[u][k]]);
    if (seen != GridShape<N>::kAll) return false;
  }
  return true;
}

struct Count {
  Outcome outcome;
  std::vector<uint8_t> witness;
  int64_t steps;
};

template <int N>
Count ByClauses(const Masks<N>& masks, int32_t stop = 0, int64_t budget = 0) {
  std::atomic<int32_t> stopRequested(stop);
  Count count{Outcome::kNone, std::vector<uint8_t>(N * N), 0};
  const EngineContext context{&stopRequested, &count.steps};
  count.outcome = CountToTwo<N>(masks.data(), context, budget, count.witness.data());
  return count;
}

template <int N>
Count ByDepthFirst(const Masks<N>& masks) {
  static GridState<N> root;
  std::atomic<int32_t> stopRequested(0);
  Count count{Outcome::kNone, std::vector<uint8_t>(N * N), 0};
  if (!LoadRoot(&root, masks.data())) return count;
  const EngineContext context{&stopRequested, &count.steps};
  Query query;
  query.onlyOne = true;
  count.outcome = Solve(root, query, context, count.witness.data());
  return count;
}

// Boards from random solutions at the given shares of clues; one board in
// three gets one clue changed, which often leaves no solution.
template <int N>
void CompareOnRandomBoards(int boards, std::initializer_list<double> fills) {
  std::mt19937 rng(20261207 + N);
  int seen[3] = {0, 0, 0};  // none, one, several
  for (double fill : fills) {
    for (int b = 0; b < boards; ++b) {
      const std::vector<int> solution = RandomSolution<N>(&rng);
      std::vector<int> clues(N * N, 0);
      std::bernoulli_distribution keep(fill);
      for (int c = 0; c < N * N; ++c) clues[c] = keep(rng) ? solution[c] : 0;
      if (b % 3 == 2) {
        const int c = static_cast<int>(rng() % (N * N));
        clues[c] = solution[c] % N + 1;
      }
      const Masks<N> masks = MasksOf<N>(clues);
      const Count expected = ByDepthFirst<N>(masks);
      const Count counted = ByClauses<N>(masks);
      ASSERT_EQ(counted.outcome, expected.outcome) << "fill " << fill << " board " << b;
      if (counted.outcome == Outcome::kFound) {
        EXPECT_EQ(counted.witness, expected.witness) << "fill " << fill << " board " << b;
        ++seen[1];
      } else if (counted.outcome == Outcome::kSeveral) {
        EXPECT_TRUE(IsSolution<N>(masks, counted.witness.data()))
            << "fill " << fill << " board " << b;
        ++seen[2];
      } else {
        ++seen[0];
      }
    }
  }
  // The boards must have met every answer for the comparison to mean much.
  EXPECT_GE(seen[0], boards / 10);
  EXPECT_GE(seen[1], boards / 10);
  EXPECT_GE(seen[2], boards / 10);
}

TEST(ClauseSearch, AgreesWithTheDepthFirstSearchOn16x16Boards) {
  CompareOnRandomBoards<16>(60, {0.30, 0.40, 0.50, 0.60});
}

TEST(ClauseSearch, AgreesWithTheDepthFirstSearchOn25x25Boards) {
  CompareOnRandomBoards<25>(12, {0.40, 0.50, 0.60});
}

TEST(ClauseSearch, ProvesTheHardPuzzleHasOneSolution) {
  const std::vector<int> clues = ReadHard(0);
  const std::vector<int> solution = ReadHard(1);
  ASSERT_EQ(clues.size(), 625u);
  const Count counted = ByClauses<25>(MasksOf<25>(clues));
  ASSERT_EQ(counted.outcome, Outcome::kFound);
  EXPECT_EQ(std::vector<int>(counted.witness.begin(), counted.witness.end()), solution);
  EXPECT_GT(counted.steps, 0);
}

// The smallest solution keeping a prefix of a known one, against the
// depth-first search that branches in reading order with digits ascending
// (whose first solution is the smallest).
template <int N>
void CompareSmallestCompletions(int boards, double fill) {
  std::mt19937 rng(7 + N);
  int improved = 0;
  for (int b = 0; b < boards; ++b) {
    const std::vector<int> solution = RandomSolution<N>(&rng);
    std::vector<int> clues(N * N, 0);
    std::bernoulli_distribution keep(fill);
    for (int c = 0; c < N * N; ++c) clues[c] = keep(rng) ? solution[c] : 0;
    const int from = static_cast<int>(rng() % (N * N / 2));
    Masks<N> masks = MasksOf<N>(clues);
    std::vector<uint8_t> best(solution.begin(), solution.end());
    std::atomic<int32_t> stopRequested(0);
    int64_t steps = 0;
    const EngineContext context{&stopRequested, &steps};
    ASSERT_EQ(SmallestCompletion<N>(masks.data(), from, context, best.data()), Outcome::kFound);
    for (int c = 0; c < from; ++c) masks[c] = BitOf(solution[c]);
    static GridState<N> root;
    ASSERT_TRUE(LoadRoot(&root, masks.data()));
    Query smallest;
    smallest.readingOrder = true;
    std::vector<uint8_t> expected(N * N);
    ASSERT_EQ(Solve(root, smallest, context, expected.data()), Outcome::kFound);
    EXPECT_EQ(best, expected) << "board " << b << " from " << from;
    improved += std::vector<int>(best.begin(), best.end()) != solution;
  }
  // Most random solutions are not the smallest of their clues.
  EXPECT_GE(improved, boards / 2);
}

TEST(ClauseSearch, FindsTheSmallestSolutionKeepingAPrefix) {
  CompareSmallestCompletions<16>(40, 0.35);
  CompareSmallestCompletions<25>(10, 0.45);
}

// Hard 16x16 puzzles, where the count has to learn before it finds the
// solution and proves there is no other. Most of them are long enough for
// two searches to race, and which side answers, and how, depends on timing:
// each count runs several times.
TEST(ClauseSearch, SolvesHard16x16PuzzlesAsTheDepthFirstSearchDoes) {
  const std::vector<std::vector<int>> puzzles = ReadPuzzles("top44_8.txt");
  ASSERT_EQ(puzzles.size(), 8u);
  for (const std::vector<int>& clues : puzzles) {
    ASSERT_EQ(clues.size(), 256u);
    const Masks<16> masks = MasksOf<16>(clues);
    const Count expected = ByDepthFirst<16>(masks);
    ASSERT_EQ(expected.outcome, Outcome::kFound);
    for (int run = 0; run < 6; ++run) {
      const Count counted = ByClauses<16>(masks);
      ASSERT_EQ(counted.outcome, Outcome::kFound) << "run " << run;
      EXPECT_EQ(counted.witness, expected.witness) << "run " << run;
    }
  }
}

TEST(ClauseSearch, ObeysTheStopRequestAndTheBudget) {
  const Masks<25> masks = MasksOf<25>(ReadHard(0));
  EXPECT_EQ(ByClauses<25>(masks, 1).outcome, Outcome::kStopped);
  const Count limited = ByClauses<25>(masks, 0, 5);
  EXPECT_EQ(limited.outcome, Outcome::kOverBudget);
  // The budget counts contradictions; decisions come on top.
  EXPECT_LT(limited.steps, 1000);
  // A stopped or limited count leaves nothing behind for the next one.
  EXPECT_EQ(ByClauses<25>(masks).outcome, Outcome::kFound);
}

// The watch lists in a pool small enough to move and pack them all the time,
// used as the search uses them: a list is walked, each entry kept, dropped or
// handed to another list (which may move this one), then cut to what it kept.
// The decision scan's filter, four masks at a time, against counting each
// mask's bits: every length up to 32 (so every tail), every bound.
TEST(SeveralBits, PicksTheMasksWithTwoToMostBits) {
  std::mt19937 rng(5);
  uint32_t masks[32];
  for (int round = 0; round < 2000; ++round) {
    for (uint32_t& mask : masks) {
      // Few bits are the cases that matter: none, one, two, three.
      const int bits = static_cast<int>(rng() % 2 == 0 ? rng() % 4 : rng() % 26);
      mask = 0;
      for (int b = 0; b < bits; ++b) mask |= uint32_t{1} << (rng() % 25);
    }
    const int count = 1 + round % 32;
    const int most = round % 7;
    uint32_t expected = 0;
    for (int k = 0; k < count; ++k) {
      const int bits = CountOf(masks[k]);
      if (bits >= 2 && (most == 0 || bits <= most)) expected |= uint32_t{1} << k;
    }
    ASSERT_EQ(SeveralBits(masks, count, most), expected) << "count " << count << " most " << most;
  }
}

TEST(WatchPool, KeepsEveryListThroughMovesAndPacking) {
  constexpr int kLists = 6;
  constexpr int kMost = 40;
  constexpr int kMostInOne = 12;
  static WatchPool<int, kLists, kMost, kMostInOne> pool;
  pool.Clear();
  std::vector<std::vector<int>> model(kLists);
  std::mt19937 rng(11);
  int total = 0;
  int next = 0;
  auto contents = [&](int list) {
    return std::vector<int>(pool.Entries(list), pool.Entries(list) + pool.Size(list));
  };
  for (int step = 0; step < 20000; ++step) {
    const int list = static_cast<int>(rng() % kLists);
    if (rng() % 3 != 0) {
      if (total < kMost && static_cast<int>(model[list].size()) < kMostInOne) {
        pool.Push(list, next);
        model[list].push_back(next++);
        ++total;
      }
    } else {
      const int size = pool.Size(list);
      std::vector<int> kept;
      int k = 0;
      for (int i = 0; i < size; ++i) {
        const int entry = pool.Entries(list)[i];
        const int choice = static_cast<int>(rng() % 3);
        const int to = static_cast<int>(rng() % kLists);
        if (choice == 2 && to != list && static_cast<int>(model[to].size()) < kMostInOne) {
          pool.Push(to, entry);
          model[to].push_back(entry);
        } else if (choice == 1) {
          --total;
        } else {
          pool.Entries(list)[k++] = entry;
          kept.push_back(entry);
        }
      }
      pool.Shorten(list, k);
      model[list] = kept;
    }
    for (int l = 0; l < kLists; ++l) ASSERT_EQ(contents(l), model[l]) << "step " << step;
  }
  EXPECT_GT(next, 1000);
}

// ---- two searches racing on one count ---------------------------------------

// Test clause k: 2 to 32 literals that tell k, its size and its tag, so that
// a clause taken torn or from the wrong place shows.
std::vector<uint16_t> NumberedClause(uint32_t k) {
  std::vector<uint16_t> literals(2 + k % (ClauseLane::kMostLiterals - 1));
  literals[0] = static_cast<uint16_t>(k & 0xFFFF);
  literals[1] = static_cast<uint16_t>(k >> 16);
  for (size_t i = 2; i < literals.size(); ++i) literals[i] = static_cast<uint16_t>(k * 7 + i);
  return literals;
}

void PutNumbered(ClauseLane* lane, uint32_t k) {
  const std::vector<uint16_t> literals = NumberedClause(k);
  lane->Put(static_cast<int>(k % 2), literals.data(), static_cast<int>(literals.size()));
}

// Takes what is new in the lane into `taken` as clause numbers; false when a
// clause is not one that was put.
bool TakeNumbered(const ClauseLane& lane, uint32_t* read, std::vector<uint32_t>* taken) {
  bool whole = true;
  lane.TakeNew(read, [&](int tag, uint16_t* literals, int size) {
    const uint32_t k = literals[0] | static_cast<uint32_t>(size > 1 ? literals[1] : 0) << 16;
    whole = whole && tag == static_cast<int>(k % 2) &&
            std::vector<uint16_t>(literals, literals + size) == NumberedClause(k);
    taken->push_back(k);
  });
  return whole;
}

TEST(ClauseLane, HandsOverEveryClauseOnceInOrder) {
  static ClauseLane lane;
  lane.Clear();
  uint32_t read = 0;
  std::vector<uint32_t> taken;
  for (uint32_t k = 0; k < 500; ++k) {
    PutNumbered(&lane, k);
    if (k % 7 == 6) {
      ASSERT_TRUE(TakeNumbered(lane, &read, &taken));
    }
  }
  ASSERT_TRUE(TakeNumbered(lane, &read, &taken));
  ASSERT_TRUE(TakeNumbered(lane, &read, &taken));
  std::vector<uint32_t> expected(500);
  std::iota(expected.begin(), expected.end(), 0u);
  EXPECT_EQ(taken, expected);
}

// A reader a whole ring behind drops what it missed, never reads a clause
// torn, and takes what comes after.
TEST(ClauseLane, AReaderFarBehindDropsWhatItMissed) {
  static ClauseLane lane;
  lane.Clear();
  constexpr uint32_t kPut = 6000;  // about three rings
  for (uint32_t k = 0; k < kPut; ++k) PutNumbered(&lane, k);
  uint32_t read = 0;
  std::vector<uint32_t> taken;
  ASSERT_TRUE(TakeNumbered(lane, &read, &taken));
  EXPECT_TRUE(taken.empty());
  for (uint32_t k = kPut; k < kPut + 10; ++k) PutNumbered(&lane, k);
  ASSERT_TRUE(TakeNumbered(lane, &read, &taken));
  std::vector<uint32_t> expected(10);
  std::iota(expected.begin(), expected.end(), kPut);
  EXPECT_EQ(taken, expected);
}

// The writer runs ahead and laps the reader now and then: what the reader
// takes is always whole, in order, and never twice.
TEST(ClauseLane, AReaderOnAnotherThreadTakesOnlyWholeClauses) {
  static ClauseLane lane;
  lane.Clear();
  constexpr uint32_t kPut = 1000000;
  std::atomic<bool> done(false);
  std::thread writer([&done] {
    for (uint32_t k = 0; k < kPut; ++k) PutNumbered(&lane, k);
    done.store(true);
  });
  uint32_t read = 0;
  std::vector<uint32_t> taken;
  bool whole = true;
  while (!done.load()) whole = TakeNumbered(lane, &read, &taken) && whole;
  writer.join();
  whole = TakeNumbered(lane, &read, &taken) && whole;
  // However far behind it was, the reader is in step again.
  for (uint32_t k = kPut; k < kPut + 10; ++k) PutNumbered(&lane, k);
  whole = TakeNumbered(lane, &read, &taken) && whole;
  EXPECT_TRUE(whole);
  ASSERT_GE(taken.size(), 10u);
  std::vector<uint32_t> last(10);
  std::iota(last.begin(), last.end(), kPut);
  EXPECT_EQ(std::vector<uint32_t>(taken.end() - 10, taken.end()), last);
  EXPECT_TRUE(std::is_sorted(taken.begin(), taken.end()));
  EXPECT_EQ(std::adjacent_find(taken.begin(), taken.end()), taken.end());
}

// Counts long enough for a second search to join the first on a machine with
// two processors: the answer is the one search's, whichever side gives it.
// (The one-solution case is the hard puzzle above.)
TEST(ClauseRace, AnswersSeveralAndNoneAsOneSearchWould) {
  const std::vector<int> clues = ReadHard(0);
  const std::vector<int> solution = ReadHard(1);
  // A minimal puzzle less one clue has more than one solution.
  std::vector<int> fewer = clues;
  ASSERT_NE(fewer[9], 0);
  fewer[9] = 0;
  const Masks<25> fewerMasks = MasksOf<25>(fewer);
  const Count several = ByClauses<25>(fewerMasks);
  ASSERT_EQ(several.outcome, Outcome::kSeveral);
  EXPECT_TRUE(IsSolution<25>(fewerMasks, several.witness.data()));
  // A clue the solution does not have, on a cell none of whose peers has it.
  std::vector<int> wrong = clues;
  ASSERT_EQ(wrong[111], 0);
  ASSERT_NE(solution[111], 19);
  wrong[111] = 19;
  EXPECT_EQ(ByClauses<25>(MasksOf<25>(wrong)).outcome, Outcome::kNone);
}

TEST(ClauseRace, EndsBothSidesOnAStopRequest) {
  const std::vector<std::vector<int>> hardest = ReadPuzzles("search_hardest_25x25.txt");
  ASSERT_EQ(hardest.size(), 1u);
  const Masks<25> masks = MasksOf<25>(hardest[0]);
  std::atomic<int32_t> stopRequested(0);
  int64_t steps = 0;
  std::vector<uint8_t> witness(625);
  const EngineContext context{&stopRequested, &steps};
  // Long enough into the search for the second side to have joined.
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    stopRequested.store(1);
  });
  EXPECT_EQ(CountToTwo<25>(masks.data(), context, 0, witness.data()), Outcome::kStopped);
  stopper.join();
  // Nothing of the stopped race is left for the next count.
  const Count next = ByClauses<25>(MasksOf<25>(ReadHard(0)));
  ASSERT_EQ(next.outcome, Outcome::kFound);
  const std::vector<int> solution = ReadHard(1);
  EXPECT_EQ(std::vector<int>(next.witness.begin(), next.witness.end()), solution);
}

// The program may end while a count races, as when the window closes during
// a long solve: the race's thread must not bring it down.
TEST(ClauseSearch, LetsTheProgramEndDuringARace) {
  const std::vector<std::vector<int>> hardest = ReadPuzzles("search_hardest_25x25.txt");
  ASSERT_EQ(hardest.size(), 1u);
  const Masks<25> masks = MasksOf<25>(hardest[0]);
  EXPECT_EXIT(
      {
        static std::atomic<int32_t> stopRequested(0);
        static int64_t steps = 0;
        static std::vector<uint8_t> witness(625);
        std::thread([&masks] {
          const EngineContext context{&stopRequested, &steps};
          CountToTwo<25>(masks.data(), context, 0, witness.data());
        }).detach();
        // Long enough into the search for the second side to have joined.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
