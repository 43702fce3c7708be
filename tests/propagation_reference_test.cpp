// The logical rules written out a second time, as plainly as they are
// stated: candidate flags in an array, every unit walked cell by cell, no bit
// masks and nothing shared with solver/. The program's propagation must
// leave the same fixed digits and the same candidate flags on every board,
// and place its digits in the same order (PlaceDigit draws each one as it
// places it while the progress display is on, which the fake window
// records). Thousands of random boards of all three sizes: clues cut from
// random solved grids, boards with a wrong clue, and boards of random clues
// that may clash.
//
// CORVANA_EQUIVALENCE_SCALE (default 1) scales the number of random boards,
// as in the search equivalence test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "solver/board.h"
#include "solver/propagate.h"
#include "tests/fake_window.h"
#include "tests/random_grid.h"

namespace {

struct Placement {
  int x;
  int y;
  int v;
  bool operator==(const Placement& other) const {
    return x == other.x && y == other.y && v == other.v;
  }
};

// The rules as written, on a board of their own.
class Rules {
 public:
  // `cells` in reading order, 0 for an empty cell.
  Rules(int n, const std::vector<int>& cells) : n_(n), nb_(random_grid::BoxSide(n)) {
    for (int y = 0; y < n; ++y) {
      for (int x = 0; x < n; ++x) fixed_[x][y] = cells[y * n + x];
    }
  }

  void Propagate() {
    InitCandidates();
    int idle = 0;
    while (idle < 2) {
      if (Pass()) {
        idle = 0;
      } else {
        ++idle;
      }
    }
  }

  int Fixed(int x, int y) const { return fixed_[x][y]; }
  int Eliminated(int x, int y, int v) const { return eliminated_[x][y][v]; }
  const std::vector<Placement>& placements() const { return placements_; }

  // What each rule changed: digits placed by the unit rules (hidden singles)
  // and by naked singles, flags set by pointing, claiming and subsets.
  struct Firings {
    int hiddenSingles = 0;
    int pointing = 0;
    int claiming = 0;
    int subsets = 0;
    int nakedSingles = 0;
  };
  const Firings& firings() const { return firings_; }

 private:
  struct Cell {
    int x;
    int y;
  };

  // The j-th cell of the box whose top-left cell is (x0, y0).
  Cell BoxCell(int x0, int y0, int j) const { return {x0 + j % nb_, y0 + j / nb_}; }
  Cell BoxCellOf(int x, int y, int j) const { return BoxCell(x / nb_ * nb_, y / nb_ * nb_, j); }

  void InitCandidates() {
    for (int x = 0; x < n_; ++x) {
      for (int y = 0; y < n_; ++y) {
        for (int v = 1; v <= n_; ++v) eliminated_[x][y][v] = 0;
      }
    }
    for (int x = 0; x < n_; ++x) {
      for (int y = 0; y < n_; ++y) {
        for (int k = 0; k < n_; ++k) {
          const Cell peer = BoxCellOf(x, y, k);
          for (int digit : {fixed_[k][y], fixed_[x][k], fixed_[peer.x][peer.y]}) {
            if (digit != 0) eliminated_[x][y][digit] = 1;
          }
        }
      }
    }
    for (int x = 0; x < n_; ++x) {
      for (int y = 0; y < n_; ++y) {
        if (fixed_[x][y] == 0) continue;
        for (int v = 1; v <= n_; ++v) eliminated_[x][y][v] = 1;
      }
    }
  }

  bool PlaceDigit(int x, int y, int v) {
    fixed_[x][y] = v;
    for (int k = 0; k < n_; ++k) {
      eliminated_[k][y][v] = 1;
      eliminated_[x][k][v] = 1;
      const Cell peer = BoxCellOf(x, y, k);
      eliminated_[peer.x][peer.y][v] = 1;
      eliminated_[x][y][k + 1] = 1;
    }
    placements_.push_back({x, y, v});
    return true;
  }

  bool HiddenSingle(int x, int y, int v) {
    ++firings_.hiddenSingles;
    return PlaceDigit(x, y, v);
  }

  bool CanTake(Cell cell, int v) const { return eliminated_[cell.x][cell.y][v] == 0; }

  // Rules v out for (x, y), counting it in `count` when it was a candidate.
  void RuleOut(int x, int y, int v, int* count) {
    *count += eliminated_[x][y][v] == 0;
    eliminated_[x][y][v] = 1;
  }

  // Hidden single in box k, or pointing.
  bool BoxRule(int k, int v) {
    const int x0 = k % nb_ * nb_;
    const int y0 = k / nb_ * nb_;
    std::vector<Cell> list;
    for (int j = 0; j < n_; ++j) {
      if (CanTake(BoxCell(x0, y0, j), v)) list.push_back(BoxCell(x0, y0, j));
    }
    const int m = static_cast<int>(list.size());
    if (m == 1) return HiddenSingle(list[0].x, list[0].y, v);
    if (m < 2 || m > nb_) return false;
    bool oneColumn = true;
    bool oneRow = true;
    for (const Cell& cell : list) {
      oneColumn = oneColumn && cell.x == list[0].x;
      oneRow = oneRow && cell.y == list[0].y;
    }
    if (oneColumn) {
      for (int y = 0; y < n_; ++y) {
        if (y < y0 || y > y0 + nb_ - 1) RuleOut(list[0].x, y, v, &firings_.pointing);
      }
    }
    if (oneRow) {
      for (int x = 0; x < n_; ++x) {
        if (x < x0 || x > x0 + nb_ - 1) RuleOut(x, list[0].y, v, &firings_.pointing);
      }
    }
    return false;
  }

  // Hidden single in row k, or claiming.
  bool RowRule(int k, int v) {
    std::vector<int> list;
    for (int x = 0; x < n_; ++x) {
      if (CanTake({x, k}, v)) list.push_back(x);
    }
    const int m = static_cast<int>(list.size());
    if (m == 1) return HiddenSingle(list[0], k, v);
    if (m < 2 || m > nb_) return false;
    for (int x : list) {
      if (x / nb_ != list[0] / nb_) return false;
    }
    const int x0 = list[0] / nb_ * nb_;
    const int y0 = k / nb_ * nb_;
    for (int j = 0; j < n_; ++j) {
      const Cell cell = BoxCell(x0, y0, j);
      if (cell.y != k) RuleOut(cell.x, cell.y, v, &firings_.claiming);
    }
    return false;
  }

  // Hidden single in column k.
  bool ColumnRule(int k, int v) {
    std::vector<int> list;
    for (int y = 0; y < n_; ++y) {
      if (CanTake({k, y}, v)) list.push_back(y);
    }
    if (list.size() == 1) return HiddenSingle(k, list[0], v);
    return false;
  }

  int CandidateCount(int x, int y) const {
    int count = 0;
    for (int v = 1; v <= n_; ++v) count += eliminated_[x][y][v] == 0;
    return count;
  }

  bool SameCandidates(Cell a, Cell b) const {
    for (int d = 1; d <= n_; ++d) {
      if (eliminated_[a.x][a.y][d] != eliminated_[b.x][b.y][d]) return false;
    }
    return true;
  }

  // Naked subset of the reference cell `self` in a line: cell(i) is the
  // line's i-th cell.
  template <typename LineCell>
  void LineSubsetElimination(Cell self, int s, LineCell cell) {
    int filled = 0;
    for (int i = 0; i < n_; ++i) filled += fixed_[cell(i).x][cell(i).y] != 0;
    if (filled == s) return;
    std::vector<bool> matches(n_, false);
    int t = 0;
    for (int i = 0; i < n_; ++i) {
      const Cell other = cell(i);
      if ((other.x == self.x && other.y == self.y) || fixed_[other.x][other.y] != 0) continue;
      if (SameCandidates(other, self)) {
        matches[i] = true;
        ++t;
      }
    }
    if (t != s - 1) return;
    for (int d = 1; d <= n_; ++d) {
      if (eliminated_[self.x][self.y][d] != 0) continue;
      for (int i = 0; i < n_; ++i) {
        const Cell other = cell(i);
        if ((other.x == self.x && other.y == self.y) || fixed_[other.x][other.y] != 0 ||
            matches[i]) {
          continue;
        }
        RuleOut(other.x, other.y, d, &firings_.subsets);
      }
    }
  }

  void CellSubsetCheck(int x, int y) {
    if (fixed_[x][y] != 0) return;
    const int s = CandidateCount(x, y);
    if (s == 0 || s == 1 || s == nb_) return;
    LineSubsetElimination({x, y}, s, [y](int i) { return Cell{i, y}; });
    LineSubsetElimination({x, y}, s, [x](int i) { return Cell{x, i}; });
  }

  bool Pass() {
    bool placed = false;
    for (int v = 1; v <= n_; ++v) {
      for (int k = 0; k < n_; ++k) {
        if (BoxRule(k, v)) placed = true;
        if (RowRule(k, v)) placed = true;
        if (ColumnRule(k, v)) placed = true;
      }
    }
    for (int y = 0; y < n_; ++y) {
      for (int x = 0; x < n_; ++x) CellSubsetCheck(x, y);
    }
    for (int y = 0; y < n_; ++y) {
      for (int x = 0; x < n_; ++x) {
        if (CandidateCount(x, y) != 1) continue;
        for (int d = 1; d <= n_; ++d) {
          if (eliminated_[x][y][d] == 0) {
            PlaceDigit(x, y, d);
            ++firings_.nakedSingles;
            placed = true;
            break;
          }
        }
      }
    }
    return placed;
  }

  int n_;
  int nb_;
  int fixed_[kMaxGridSize][kMaxGridSize] = {};
  int eliminated_[kMaxGridSize][kMaxGridSize][kMaxGridSize + 1] = {};
  std::vector<Placement> placements_;
  Firings firings_;
};

// The program's propagation on the board, as the worker runs it, with the
// progress display on; its placements in the order it drew them.
std::vector<Placement> ProgramPropagate(int n, const std::vector<int>& cells) {
  board.searchStopped.store(1);
  board.showProgress.store(1);
  board.gridSize = n;
  ResetBoard(nullptr);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int digit = cells[y * n + x];
      board.given[x][y] = digit;
      board.fixed[x][y] = digit;
      board.shown[x][y] = digit;
    }
  }
  ResetFakeWindow();
  Propagate(nullptr);
  std::vector<Placement> placed;
  for (const RecordedCall& call : RecordedCalls()) {
    if (call.call == WindowCall::kDrawCell) placed.push_back({call.a, call.b, call.digit});
  }
  return placed;
}

std::string Describe(int n, const std::vector<int>& cells) {
  std::string line;
  for (int i = 0; i < n * n; ++i) {
    if (i != 0) line += ' ';
    line += std::to_string(cells[i]);
  }
  return line;
}

// Runs both and compares; true when they agree.
bool Agree(int n, const std::vector<int>& cells, Rules* rules) {
  rules->Propagate();
  const std::vector<Placement> placed = ProgramPropagate(n, cells);
  bool same = true;
  for (int y = 0; y < n && same; ++y) {
    for (int x = 0; x < n && same; ++x) {
      EXPECT_EQ(board.fixed[x][y], rules->Fixed(x, y)) << "fixed (" << x << ", " << y << ")";
      EXPECT_EQ(board.shown[x][y], rules->Fixed(x, y)) << "shown (" << x << ", " << y << ")";
      same = board.fixed[x][y] == rules->Fixed(x, y) && board.shown[x][y] == rules->Fixed(x, y);
      for (int v = 1; v <= n && same; ++v) {
        EXPECT_EQ(board.eliminated[x][y][v], rules->Eliminated(x, y, v))
            << "eliminated (" << x << ", " << y << ") digit " << v;
        same = board.eliminated[x][y][v] == rules->Eliminated(x, y, v);
      }
    }
  }
  if (same && placed != rules->placements()) {
    size_t first = 0;
    while (first < placed.size() && first < rules->placements().size() &&
           placed[first] == rules->placements()[first]) {
      ++first;
    }
    ADD_FAILURE() << "the same digits placed in another order, from placement " << first;
    same = false;
  }
  if (!same) ADD_FAILURE() << "board: " << Describe(n, cells);
  return same;
}

double Scale() {
  const char* value = std::getenv("CORVANA_EQUIVALENCE_SCALE");
  const double scale = value != nullptr ? std::atof(value) : 1.0;
  return scale > 0 ? scale : 1.0;
}

// A 9x9 board from (x, y, digit) clues.
std::vector<int> Board9(std::initializer_list<std::initializer_list<int>> clues) {
  std::vector<int> cells(81, 0);
  for (const auto& clue : clues) {
    const int* c = clue.begin();
    cells[c[1] * 9 + c[0]] = c[2];
  }
  return cells;
}

// Box 1 full but for (4, 0) and (4, 2): 1 and 9 can go only there, in
// column 4. Column 4 holds two clues, as many as the pair has digits, so the
// subset rule leaves it alone and only pointing can act.
TEST(PropagationReference, PointingRulesADigitOutOfTheRestOfItsColumnAndRow) {
  const std::vector<int> column = Board9(
      {{3, 0, 2}, {5, 0, 3}, {3, 1, 4}, {4, 1, 5}, {5, 1, 6}, {3, 2, 7}, {5, 2, 8}, {4, 8, 3}});
  Rules rules(9, column);
  ASSERT_TRUE(Agree(9, column, &rules));
  EXPECT_GT(rules.firings().pointing, 0);
  for (int y = 3; y < 8; ++y) {
    EXPECT_EQ(board.eliminated[4][y][1], 1) << "(4, " << y << ")";
    EXPECT_EQ(board.eliminated[4][y][9], 1) << "(4, " << y << ")";
    EXPECT_EQ(board.eliminated[0][y][1], 0) << "(0, " << y << ") is no part of it";
  }
  EXPECT_EQ(board.eliminated[4][0][1], 0);
  EXPECT_EQ(board.eliminated[4][2][9], 0);

  // The same in row 1: box 1 full but for (3, 1) and (5, 1).
  const std::vector<int> row = Board9(
      {{3, 0, 2}, {4, 0, 3}, {5, 0, 4}, {4, 1, 5}, {3, 2, 6}, {4, 2, 7}, {5, 2, 8}, {8, 1, 2}});
  Rules rowRules(9, row);
  ASSERT_TRUE(Agree(9, row, &rowRules));
  for (int x : {0, 1, 2, 6, 7}) {
    EXPECT_EQ(board.eliminated[x][1][1], 1) << "(" << x << ", 1)";
    EXPECT_EQ(board.eliminated[x][1][9], 1) << "(" << x << ", 1)";
    EXPECT_EQ(board.eliminated[x][4][1], 0) << "(" << x << ", 4) is no part of it";
  }
}

// Row 0 holds 4 to 9 outside box 0, so 1, 2 and 3 can go in row 0 only
// inside box 0: claiming rules them out of the box's two other rows. The same
// clues down column 0 rule out nothing: columns do not claim.
TEST(PropagationReference, ClaimingRulesADigitOutOfTheRestOfItsBoxButColumnsDoNotClaim) {
  std::initializer_list<std::initializer_list<int>> inRow = {{3, 0, 4}, {4, 0, 5}, {5, 0, 6},
                                                             {6, 0, 7}, {7, 0, 8}, {8, 0, 9}};
  const std::vector<int> row = Board9(inRow);
  Rules rules(9, row);
  ASSERT_TRUE(Agree(9, row, &rules));
  EXPECT_GT(rules.firings().claiming, 0);
  for (int v = 1; v <= 3; ++v) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(board.eliminated[x][0][v], 0) << "(" << x << ", 0) digit " << v;
      EXPECT_EQ(board.eliminated[x][1][v], 1) << "(" << x << ", 1) digit " << v;
      EXPECT_EQ(board.eliminated[x][2][v], 1) << "(" << x << ", 2) digit " << v;
    }
  }

  const std::vector<int> column =
      Board9({{0, 3, 4}, {0, 4, 5}, {0, 5, 6}, {0, 6, 7}, {0, 7, 8}, {0, 8, 9}});
  Rules columnRules(9, column);
  ASSERT_TRUE(Agree(9, column, &columnRules));
  EXPECT_EQ(columnRules.firings().claiming, 0);
  for (int v = 1; v <= 3; ++v) {
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 3; ++x) EXPECT_EQ(board.eliminated[x][y][v], 0);
    }
  }
}

// Random boards of one size: clues cut from a random solved grid, the same
// with one wrong clue (no solution, mostly), and random clues that may clash.
// Each rule must have acted on some of them, so that a fault in any of them
// shows.
void CompareRandomBoards(int n, int boards, int fewestClues, int mostClues, uint32_t seed) {
  std::mt19937 random(seed);
  const int count = std::max(20, static_cast<int>(boards * Scale()));
  Rules::Firings boardsWhere;
  int agreed = 0;
  for (int i = 0; i < count; ++i) {
    const int clues = fewestClues + random_grid::Below(&random, mostClues - fewestClues + 1);
    std::vector<int> cells;
    if (i % 4 == 3) {
      cells.assign(n * n, 0);
      for (int k = 0; k < clues / 2; ++k) {
        cells[random_grid::Below(&random, n * n)] = 1 + random_grid::Below(&random, n);
      }
    } else {
      const std::vector<int> grid = random_grid::SolvedGrid(n, &random);
      cells = random_grid::Cut(grid, clues, &random);
      if (i % 4 == 2) {
        const int cell = random_grid::Below(&random, n * n);
        if (cells[cell] == 0) cells[cell] = grid[cell] % n + 1;
      }
    }
    Rules rules(n, cells);
    if (!Agree(n, cells, &rules)) break;  // one board in full is enough to read
    ++agreed;
    const Rules::Firings& fired = rules.firings();
    boardsWhere.hiddenSingles += fired.hiddenSingles > 0;
    boardsWhere.pointing += fired.pointing > 0;
    boardsWhere.claiming += fired.claiming > 0;
    boardsWhere.subsets += fired.subsets > 0;
    boardsWhere.nakedSingles += fired.nakedSingles > 0;
  }
  EXPECT_EQ(agreed, count);
  std::printf(
      "%dx%d: %d boards; hidden singles on %d, pointing on %d, claiming on %d, "
      "subsets on %d, naked singles on %d\n",
      n, n, agreed, boardsWhere.hiddenSingles, boardsWhere.pointing, boardsWhere.claiming,
      boardsWhere.subsets, boardsWhere.nakedSingles);
  const int enough = count / 50;
  EXPECT_GT(boardsWhere.hiddenSingles, enough);
  EXPECT_GT(boardsWhere.pointing, enough);
  EXPECT_GT(boardsWhere.claiming, enough);
  EXPECT_GT(boardsWhere.subsets, enough);
  EXPECT_GT(boardsWhere.nakedSingles, enough);
}

TEST(PropagationReference, Random9x9BoardsWithPointingClaimingAndSubsets) {
  CompareRandomBoards(9, 3000, 17, 45, 913);
}

TEST(PropagationReference, Random16x16BoardsWithPointingClaimingAndSubsets) {
  CompareRandomBoards(16, 1000, 60, 170, 1613);
}

TEST(PropagationReference, Random25x25BoardsWithPointingClaimingAndSubsets) {
  CompareRandomBoards(25, 200, 150, 420, 2513);
}

}  // namespace
