#include "solver/all_different.h"

#include "solver/bit_grid.h"

namespace {

constexpr int kMaxCells = 25;
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

// Strongly connected components of the graph "cell i can take the digit that
// cell j holds", by Tarjan's algorithm on adjacency masks.
struct Components {
  uint32_t edges[kMaxCells];
  int index[kMaxCells];
  int low[kMaxCells];
  int component[kMaxCells];
  int stack[kMaxCells];
  bool onStack[kMaxCells];
  int depth;
  int counter;
  int components;
};

void Connect(Components* g, int v) {
  g->index[v] = g->low[v] = g->counter++;
  g->stack[g->depth++] = v;
  g->onStack[v] = true;
  uint32_t next = g->edges[v];
  while (next != 0) {
    const int w = DigitOf(next & (0u - next)) - 1;
    next &= next - 1;
    if (g->index[w] == kNone) {
      Connect(g, w);
      if (g->low[w] < g->low[v]) g->low[v] = g->low[w];
    } else if (g->onStack[w] && g->index[w] < g->low[v]) {
      g->low[v] = g->index[w];
    }
  }
  if (g->low[v] == g->index[v]) {
    int w = kNone;
    do {
      w = g->stack[--g->depth];
      g->onStack[w] = false;
      g->component[w] = g->components;
    } while (w != v);
    ++g->components;
  }
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
  for (int i = 0; i < count; ++i) {
    uint32_t visited = 0;
    if (!Augment(masks, i, &visited, &matching)) return false;
  }
  // A digit no cell holds could take part in other matchings; the filtering
  // below is only sound when the cells have just enough digits.
  if (CountOf(all) != count) return true;
  Components g;
  for (int i = 0; i < count; ++i) {
    uint32_t edges = 0;
    uint32_t digits = masks[i];
    while (digits != 0) {
      edges |= uint32_t{1} << matching.cellOf[DigitOf(digits & (0u - digits)) - 1];
      digits &= digits - 1;
    }
    g.edges[i] = edges;
    g.index[i] = kNone;
    g.onStack[i] = false;
  }
  g.depth = 0;
  g.counter = 0;
  g.components = 0;
  for (int i = 0; i < count; ++i) {
    if (g.index[i] == kNone) Connect(&g, i);
  }
  uint32_t componentDigits[kMaxCells] = {};
  for (int i = 0; i < count; ++i) componentDigits[g.component[i]] |= matching.digitOf[i];
  for (int i = 0; i < count; ++i) masks[i] &= componentDigits[g.component[i]];
  return true;
}
