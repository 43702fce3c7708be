#include "maker/rate.h"

#include <algorithm>
#include <memory>

#include "maker/rules.h"
#include "solver/bits.h"

// The search behind the two top grades: the five rules at every node, then a
// branch on the empty cell with the fewest candidates (the first in reading
// order among equals), its digits in ascending order. The walk goes on past
// the first solution until a second one or the end of the tree, so its size
// is the proof that the solution is the only one and does not depend on
// where the solution lies among the digits tried.

namespace {

constexpr int64_t kDiabolicalFrom = 100;  // decisions + backtracks

struct Walk {
  int64_t decisions = 0;
  int64_t backtracks = 0;
  int solutions = 0;
  bool overBudget = false;
  std::vector<std::unique_ptr<RuleBoard>> boards;  // one a depth, reused
};

int BranchCell(const RuleBoard& b) {
  int best = -1;
  for (int cell = 0; cell < b.size * b.size; ++cell) {
    if (b.digit[cell] != 0) continue;
    if (best < 0 || CountOf(b.cand[cell]) < CountOf(b.cand[best])) best = cell;
  }
  return best;
}

// Searches below `node` (settled, neither full nor dead).
void Search(const RuleBoard& node, int depth, Walk* walk) {
  if (walk->boards.size() <= static_cast<size_t>(depth)) {
    walk->boards.push_back(std::make_unique<RuleBoard>());
  }
  RuleBoard& child = *walk->boards[depth];
  const int cell = BranchCell(node);
  for (uint32_t digits = node.cand[cell]; digits != 0; digits &= digits - 1) {
    if (walk->solutions >= 2) return;
    if (walk->decisions + walk->backtracks >= kMostSearch) {
      walk->overBudget = true;
      return;
    }
    ++walk->decisions;
    const int before = walk->solutions;
    CopyRules(node, &child);
    PlaceOnBoard(&child, cell, DigitOf(digits & (~digits + 1)));
    if (!SettleNode(&child)) {
      ++walk->backtracks;
    } else if (child.empty == 0) {
      ++walk->solutions;
    } else {
      Search(child, depth + 1, walk);
      if (walk->solutions == before && !walk->overBudget) ++walk->backtracks;
    }
  }
}

Grade SearchGrade(const RuleBoard& root) {
  Walk walk;
  Search(root, 0, &walk);
  if (walk.solutions == 0 && !walk.overBudget) return {GradeLevel::kNone, 0, 0, 0, false};
  if (walk.solutions >= 2) return {GradeLevel::kSeveral, 0, 0, 0, false};
  const int64_t effort = std::min(walk.decisions + walk.backtracks, kMostSearch);
  const GradeLevel level =
      effort < kDiabolicalFrom ? GradeLevel::kFiendish : GradeLevel::kDiabolical;
  return {level, 1000 + effort, walk.decisions, walk.backtracks, walk.overBudget};
}

const char* const kWords[] = {"easy",       "medium", "hard",   "fiendish",
                              "diabolical", "none",   "several"};

}  // namespace

Grade RatePuzzle(const MakerBoard& puzzle) {
  int earlier = 0, later = 0;
  if (FindClueClash(puzzle, &earlier, &later)) return {GradeLevel::kNone, 0, 0, 0, false};
  RuleBoard grid;
  const RuleSet sets[] = {RuleSet::kSingles, RuleSet::kBoxLine, RuleSet::kAll};
  for (int i = 0; i < 3; ++i) {
    LoadRules(puzzle, &grid);
    const int passes = RunRules(&grid, sets[i], true, nullptr);
    if (grid.empty == 0) {
      return {static_cast<GradeLevel>(i), 100 * (i + 1) + (passes < 99 ? passes : 99), 0, 0, false};
    }
  }
  if (DeadEnd(grid)) return {GradeLevel::kNone, 0, 0, 0, false};
  return SearchGrade(grid);
}

const char* GradeWord(GradeLevel level) { return kWords[static_cast<int>(level)]; }

bool GradeOfWord(const std::string& word, GradeLevel* level) {
  for (int i = 0; i <= static_cast<int>(GradeLevel::kDiabolical); ++i) {
    if (word == kWords[i]) {
      *level = static_cast<GradeLevel>(i);
      return true;
    }
  }
  return false;
}

const char* GradeWords() { return "easy, medium, hard, fiendish, diabolical"; }

std::string GradeText(const Grade& grade) {
  std::string text = GradeWord(grade.level);
  if (grade.level == GradeLevel::kNone || grade.level == GradeLevel::kSeveral) return text;
  text += " " + std::to_string(grade.number) + (grade.cutShort ? "+" : "");
  if (grade.decisions > 0) {
    text += " (" + std::to_string(grade.decisions) + " decisions, " +
            std::to_string(grade.backtracks) + " backtracks)";
  }
  return text;
}
