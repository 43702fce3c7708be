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

// What a node branches on: the cell with the fewest candidates, or a digit's
// places in a unit when some unit offers fewer (rows, then columns, then
// boxes, digits ascending; the first of equals wins). Each choice is one cell
// and one digit.
struct Branch {
  int count = 99;
  int choices[25][2];  // cell, digit
};

Branch ChooseBranch(const RuleBoard& b) {
  const int n = b.size;
  Branch branch;
  int bestCell = -1;
  for (int cell = 0; cell < n * n; ++cell) {
    if (b.digit[cell] != 0 || CountOf(b.cand[cell]) >= branch.count) continue;
    branch.count = CountOf(b.cand[cell]);
    bestCell = cell;
  }
  const uint32_t(*const places[3])[26] = {b.rowPlaces, b.columnPlaces, b.boxPlaces};
  int bestUnit = -1, bestKind = 0, bestDigit = 0;
  for (int kind = 0; kind < 3; ++kind) {
    for (int v = 1; v <= n; ++v) {
      for (int k = 0; k < n; ++k) {
        const int m = CountOf(places[kind][k][v]);
        if (m < 2 || m >= branch.count) continue;
        branch.count = m;
        bestUnit = k;
        bestKind = kind;
        bestDigit = v;
      }
    }
  }
  int i = 0;
  if (bestUnit < 0) {
    for (uint32_t digits = b.cand[bestCell]; digits != 0; digits &= digits - 1, ++i) {
      branch.choices[i][0] = bestCell;
      branch.choices[i][1] = DigitOf(digits & (~digits + 1));
    }
    return branch;
  }
  const int nb = b.box;
  for (uint32_t at = places[bestKind][bestUnit][bestDigit]; at != 0; at &= at - 1, ++i) {
    const int j = __builtin_ctz(at);
    int cell = 0;
    if (bestKind == 0) cell = bestUnit * n + j;
    if (bestKind == 1) cell = j * n + bestUnit;
    if (bestKind == 2) cell = (bestUnit / nb * nb + j / nb) * n + bestUnit % nb * nb + j % nb;
    branch.choices[i][0] = cell;
    branch.choices[i][1] = bestDigit;
  }
  return branch;
}

// Searches below `node` (settled, neither full nor dead).
void Search(const RuleBoard& node, int depth, Walk* walk) {
  if (walk->boards.size() <= static_cast<size_t>(depth)) {
    walk->boards.push_back(std::make_unique<RuleBoard>());
  }
  RuleBoard& child = *walk->boards[depth];
  const Branch branch = ChooseBranch(node);
  for (int i = 0; i < branch.count; ++i) {
    if (walk->solutions >= 2) return;
    if (walk->decisions + walk->backtracks >= kMostSearch) {
      walk->overBudget = true;
      return;
    }
    ++walk->decisions;
    const int before = walk->solutions;
    child = node;
    PlaceOnBoard(&child, branch.choices[i][0], branch.choices[i][1]);
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
