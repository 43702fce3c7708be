#include "solver/bits.h"
#include "solver/rules_9x9.h"

// The subset rule of subsets.cpp on the 9x9 tables. What a line call does
// depends only on the line's masks and its count of fixed cells, so each line
// keeps the places whose call would rule something out (rowFire,
// columnFire), read again only once the line has lost a candidate; the pass
// visits just those places, in the same order as the cell-by-cell walk.
// While the walk is in row y, only row y's own calls change row y: a column
// call leaves the reference cell's row alone.

namespace {

// Row y is cells 9y + i, column x cells x + 9i.
struct Line9 {
  int first;
  int stride;
};

// The places of the line whose call as the reference cell would rule a
// candidate out: s cells, and no other, with the same s candidates, s not
// 0, 1 or 3, the line's count of fixed cells not s, and some other cell with
// one of those digits.
uint32_t FirePlaces(Line9 line, int filled) {
  uint32_t masks[9];
  for (int i = 0; i < 9; ++i) masks[i] = rules9.cells[line.first + line.stride * i];
  // Only a mask that two cells share can be a subset's, and each such mask
  // is met again after its first cell; on 9x9 a mask is under 512, so the
  // masks seen fit in 512 bits.
  uint64_t seen[8] = {};
  uint32_t again = 0;
  for (int i = 0; i < 9; ++i) {
    const uint32_t m = masks[i];
    if (IsSingle(m)) continue;
    const uint64_t bit = uint64_t{1} << (m & 63);
    again |= uint32_t{(seen[m >> 6] & bit) != 0} << i;
    seen[m >> 6] |= bit;
  }
  uint32_t fire = 0;
  while (again != 0) {
    const uint32_t m = masks[LowestIndex(again)];
    uint32_t same = 0;
    uint32_t touched = 0;
    for (int j = 0; j < 9; ++j) {
      same |= uint32_t{masks[j] == m} << j;
      touched |= uint32_t{(masks[j] & m) != 0} << j;
    }
    again &= ~same;
    const int s = CountOf(m);
    if (s == 3 || s == filled || CountOf(same) != s || (touched & ~same) == 0) continue;
    fire |= same;
  }
  return fire;
}

// The call that fires: the subset's digits leave every other cell of the line.
void RuleOutInLine(Line9 line, uint32_t subset) {
  for (int i = 0; i < 9; ++i) {
    const int c = line.first + line.stride * i;
    const uint32_t m = rules9.cells[c];
    if (m == subset) continue;
    for (uint32_t hit = m & subset; hit != 0; hit &= hit - 1) TakeCandidate9(c, LowestIndex(hit));
  }
}

void ReadDirtyColumns() {
  for (uint32_t dirty = rules9.columnDirty; dirty != 0; dirty &= dirty - 1) {
    const int x = LowestIndex(dirty);
    const uint32_t fire = FirePlaces({x, 9}, rules9.columnFilled[x]);
    for (uint32_t flip = fire ^ rules9.columnFire[x]; flip != 0; flip &= flip - 1) {
      rules9.columnFireAt[LowestIndex(flip)] ^= static_cast<uint16_t>(1u << x);
    }
    rules9.columnFire[x] = static_cast<uint16_t>(fire);
  }
  rules9.columnDirty = 0;
}

void ReadRowIfDirty(int y) {
  if ((rules9.rowDirty >> y & 1) == 0) return;
  rules9.rowFire[y] = static_cast<uint16_t>(FirePlaces({9 * y, 1}, rules9.rowFilled[y]));
  rules9.rowDirty &= ~(1u << y);
}

}  // namespace

void SubsetPass9() {
  for (int y = 0; y < 9; ++y) {
    ReadDirtyColumns();
    ReadRowIfDirty(y);
    uint32_t ahead = 0x1FF;
    for (;;) {
      const uint32_t due = (rules9.rowFire[y] | rules9.columnFireAt[y]) & ahead;
      if (due == 0) break;
      const int x = LowestIndex(due);
      ahead &= ~((uint32_t{2} << x) - 1);
      const uint32_t subset = rules9.cells[9 * y + x];
      if ((rules9.rowFire[y] >> x & 1) != 0) {
        RuleOutInLine({9 * y, 1}, subset);
        ReadDirtyColumns();
      }
      if ((rules9.columnFire[x] >> y & 1) != 0) {
        RuleOutInLine({x, 9}, subset);
        ReadDirtyColumns();
      }
      ReadRowIfDirty(y);
    }
  }
}
