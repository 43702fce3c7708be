#include "maker/explain.h"

#include <vector>

#include "maker/rules.h"

namespace {

// "4..6,8" for 4, 5, 6, 8: ascending numbers, runs of three or more folded.
std::string NumberList(const std::vector<int>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size();) {
    size_t end = i;
    while (end + 1 < numbers.size() && numbers[end + 1] == numbers[end] + 1) ++end;
    if (!text.empty()) text += ",";
    if (end - i >= 2) {
      text += std::to_string(numbers[i]) + ".." + std::to_string(numbers[end]);
      i = end + 1;
    } else {
      text += std::to_string(numbers[i]);
      ++i;
    }
  }
  return text;
}

// Cells in reading order: "r2c4..6,r3c5" row by row, or "r2,5..7c3" when
// they share a column.
std::string CellList(const std::vector<int>& cells, int n) {
  bool oneColumn = cells.size() > 1;
  for (int cell : cells) oneColumn = oneColumn && cell % n == cells[0] % n;
  if (oneColumn) {
    std::vector<int> rows;
    for (int cell : cells) rows.push_back(cell / n + 1);
    return "r" + NumberList(rows) + "c" + std::to_string(cells[0] % n + 1);
  }
  std::string text;
  for (size_t i = 0; i < cells.size();) {
    std::vector<int> columns;
    const int row = cells[i] / n;
    for (; i < cells.size() && cells[i] / n == row; ++i) columns.push_back(cells[i] % n + 1);
    if (!text.empty()) text += ",";
    text += "r" + std::to_string(row + 1) + "c" + NumberList(columns);
  }
  return text;
}

std::string DigitList(uint32_t digits) {
  std::vector<int> list;
  for (; digits != 0; digits &= digits - 1) list.push_back(__builtin_ctz(digits) + 1);
  return NumberList(list);
}

std::string UnitName(UnitKind kind, int unit) {
  const char* name =
      kind == UnitKind::kBox ? "box " : (kind == UnitKind::kRow ? "row " : "column ");
  return name + std::to_string(unit + 1);
}

std::string StepLine(const Step& step, int n) {
  const std::string cells = CellList(step.cells, n);
  switch (step.rule) {
    case StepRule::kHiddenSingle:
      return cells + " = " + std::to_string(step.digit) + "  hidden single in " +
             UnitName(step.unitKind, step.unit);
    case StepRule::kNakedSingle:
      return cells + " = " + std::to_string(step.digit) + "  naked single";
    case StepRule::kPointing:
      return cells + " \u2260 " + std::to_string(step.digit) + "  pointing from " +
             UnitName(step.unitKind, step.unit);
    case StepRule::kClaiming:
      return cells + " \u2260 " + std::to_string(step.digit) + "  claiming from " +
             UnitName(step.unitKind, step.unit);
    case StepRule::kNakedSubset:
      return cells + " \u2260 " + DigitList(step.digits) + "  naked subset " +
             CellList(step.subset, n) + " in " + UnitName(step.unitKind, step.unit);
  }
  return cells;
}

}  // namespace

std::string ExplainText(const MakerBoard& puzzle) {
  const int n = puzzle.size;
  int earlier = 0, later = 0;
  if (FindClueClash(puzzle, &earlier, &later)) {
    return "clash: " + CellList({earlier}, n) + " and " + CellList({later}, n) + " hold " +
           std::to_string(puzzle.cells[later]) + "\n";
  }
  RuleBoard grid;
  LoadRules(puzzle, &grid);
  std::vector<Step> steps;
  RunRules(&grid, RuleSet::kAll, false, &steps);
  std::string text;
  for (const Step& step : steps) text += StepLine(step, n) + "\n";
  if (grid.empty > 0) text += "search needed: " + std::to_string(grid.empty) + " cells left\n";
  return text;
}
