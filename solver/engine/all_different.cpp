#include "solver/engine/all_different.h"

#include "solver/engine/bit_grid.h"

namespace {

constexpr int kMaxCells = kMaxGridSize;  // of a unit
constexpr int kNone = -1;

// A matching of cells to digits: digitOf[cell] is a mask with one bit,
// cellOf[digit index] the cell holding that digit or kNone.
struct Matching {
  uint32_t digitOf[kMaxCells];
  int cellOf[32];
};

// Finds an alternating path from `cell` to a free digit and flips it.
bool Augment(const uint32_t* masks, int cell, uint32_t* visited, Matching* matching) {
  uint32_t options = masks[cell] & ~*visited;
  while (options != 0) {
    const uint32_t bit = options & (0u - options);
    options ^= bit;
    *visited |= bit;
    const int digit = DigitOf(bit) - 1;
    const int holder = matching->cellOf[digit];
    if (holder == kNone || Augment(masks, holder, visited, matching)) {
      matching->cellOf[digit] = cell;
      matching->digitOf[cell] = bit;
      return true;
    }
  }
  return false;
}

// Nodes reachable from `start` within `allowed`, along adjacency masks.
uint32_t Reach(const uint32_t* edges, int start, uint32_t allowed) {
  uint32_t reached = uint32_t{1} << start;
  uint32_t frontier = reached;
  while (frontier != 0) {
    uint32_t next = 0;
    while (frontier != 0) {
      next |= edges[DigitOf(frontier & (0u - frontier)) - 1];
      frontier &= frontier - 1;
    }
    frontier = next & allowed & ~reached;
    reached |= frontier;
  }
  return reached;
}

}  // namespace

// With a matching that uses every digit, a digit d of cell i that i does not
// hold can be swapped in exactly when i and the holder of d lie on a common
// cycle of the graph above (Régin's filtering for all-different).
bool FilterAllDifferent(uint32_t* masks, int count) {
  uint32_t all = 0;
  for (int i = 0; i < count; ++i) all |= masks[i];
  if (CountOf(all) < count) return false;
  Matching matching;
  for (int d = 0; d < 32; ++d) matching.cellOf[d] = kNone;
  // Most cells find a free digit at once; only the rest need a path.
  uint32_t taken = 0;
  uint32_t unmatched = 0;
  for (int i = 0; i < count; ++i) {
    const uint32_t free = masks[i] & ~taken;
    if (free == 0) {
      unmatched |= uint32_t{1} << i;
      continue;
    }
    const uint32_t bit = free & (0u - free);
    taken |= bit;
    matching.digitOf[i] = bit;
    matching.cellOf[DigitOf(bit) - 1] = i;
  }
  while (unmatched != 0) {
    const int i = DigitOf(unmatched & (0u - unmatched)) - 1;
    unmatched &= unmatched - 1;
    uint32_t visited = 0;
    if (!Augment(masks, i, &visited, &matching)) return false;
  }
  // A digit no cell holds could take part in other matchings; the filtering
  // below is only sound when the cells have just enough digits.
  if (CountOf(all) != count) return true;
  // Strongly connected components of the graph "cell i can take the digit
  // that cell j holds": what i reaches and what reaches i, 25 nodes at most,
  // so the masks do the work.
  uint32_t edges[kMaxCells];
  uint32_t reverse[kMaxCells] = {};
  for (int i = 0; i < count; ++i) {
    uint32_t out = 0;
    uint32_t digits = masks[i];
    while (digits != 0) {
      const int j = matching.cellOf[DigitOf(digits & (0u - digits)) - 1];
      out |= uint32_t{1} << j;
      reverse[j] |= uint32_t{1} << i;
      digits &= digits - 1;
    }
    edges[i] = out;
  }
  uint32_t remaining = count == 32 ? ~0u : (uint32_t{1} << count) - 1;
  while (remaining != 0) {
    const int start = DigitOf(remaining & (0u - remaining)) - 1;
    const uint32_t component = Reach(edges, start, remaining) & Reach(reverse, start, remaining);
    remaining &= ~component;
    uint32_t componentDigits = 0;
    for (uint32_t c = component; c != 0; c &= c - 1) {
      componentDigits |= matching.digitOf[DigitOf(c & (0u - c)) - 1];
    }
    for (uint32_t c = component; c != 0; c &= c - 1) {
      masks[DigitOf(c & (0u - c)) - 1] &= componentDigits;
    }
  }
  return true;
}
