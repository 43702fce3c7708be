#include "solver/candidates.h"

#include "solver/bits.h"
#include "solver/geometry.h"

CandidateTable candidates;

namespace {

// Box numbers and places for the current size; cheap, so done on every read.
void MapBoxes() {
  const int n = board.gridSize;
  const int nb = board.boxSize;
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      candidates.boxOf[x][y] = static_cast<uint8_t>(y / nb * nb + x / nb);
      candidates.slotOf[x][y] = static_cast<uint8_t>(y % nb * nb + x % nb);
    }
  }
}

// Everything but candidateMask follows from candidateMask and fixed.
void DeriveFromMasks() {
  const int n = board.gridSize;
  for (int i = 0; i < n; ++i) {
    for (int v = 1; v <= n; ++v) {
      candidates.rowPlaces[i][v] = 0;
      candidates.columnPlaces[i][v] = 0;
      candidates.boxPlaces[i][v] = 0;
    }
    candidates.rowFilled[i] = 0;
    candidates.columnFilled[i] = 0;
    ++candidates.rowChanges[i];
    ++candidates.columnChanges[i];
  }
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      if (board.fixed[x][y] != 0) {
        ++candidates.rowFilled[y];
        ++candidates.columnFilled[x];
      }
      const uint32_t mask = candidates.candidateMask[x][y];
      for (int v = 1; v <= n; ++v) {
        if ((mask & BitOf(v)) == 0) continue;
        candidates.rowPlaces[y][v] |= BitAt(x);
        candidates.columnPlaces[x][v] |= BitAt(y);
        candidates.boxPlaces[candidates.boxOf[x][y]][v] |= BitAt(candidates.slotOf[x][y]);
      }
    }
  }
}

}  // namespace

void InitCandidates() {
  const int n = board.gridSize;
  MapBoxes();
  // Digits present in each row, column and box.
  uint32_t inRow[kMaxGridSize] = {};
  uint32_t inColumn[kMaxGridSize] = {};
  uint32_t inBox[kMaxGridSize] = {};
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      const int v = board.fixed[x][y];
      if (v == 0) continue;
      inRow[y] |= BitOf(v);
      inColumn[x] |= BitOf(v);
      inBox[candidates.boxOf[x][y]] |= BitOf(v);
    }
  }
  const uint32_t all = BitAt(n) - 1;
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      const uint32_t taken = inRow[y] | inColumn[x] | inBox[candidates.boxOf[x][y]];
      const uint32_t mask = board.fixed[x][y] != 0 ? 0 : all & ~taken;
      candidates.candidateMask[x][y] = mask;
      for (int v = 1; v <= n; ++v) board.eliminated[x][y][v] = (mask & BitOf(v)) == 0;
    }
  }
  DeriveFromMasks();
}

void RuleOut(int x, int y, int v) {
  board.eliminated[x][y][v] = 1;
  uint32_t& mask = candidates.candidateMask[x][y];
  if ((mask & BitOf(v)) == 0) return;
  mask &= ~BitOf(v);
  candidates.rowPlaces[y][v] &= ~BitAt(x);
  candidates.columnPlaces[x][v] &= ~BitAt(y);
  candidates.boxPlaces[candidates.boxOf[x][y]][v] &= ~BitAt(candidates.slotOf[x][y]);
  ++candidates.rowChanges[y];
  ++candidates.columnChanges[x];
}

bool PlaceDigit(WindowHandle window, int x, int y, int v) {
  board.fixed[x][y] = v;
  board.shown[x][y] = v;
  ++candidates.rowFilled[y];
  ++candidates.columnFilled[x];
  ++candidates.rowChanges[y];
  ++candidates.columnChanges[x];
  // Ruling a digit out where it is already out changes nothing, so only the
  // places that still hold v, and the cell's own candidates, are visited.
  for (uint32_t places = candidates.rowPlaces[y][v]; places != 0; places &= places - 1) {
    RuleOut(LowestIndex(places), y, v);
  }
  for (uint32_t places = candidates.columnPlaces[x][v]; places != 0; places &= places - 1) {
    RuleOut(x, LowestIndex(places), v);
  }
  const int box = candidates.boxOf[x][y];
  for (uint32_t places = candidates.boxPlaces[box][v]; places != 0; places &= places - 1) {
    const CellPos peer = BoxPeer(x, y, LowestIndex(places));
    RuleOut(peer.x, peer.y, v);
  }
  for (uint32_t own = candidates.candidateMask[x][y]; own != 0; own &= own - 1) {
    RuleOut(x, y, LowestIndex(own) + 1);
  }
  if (board.showProgress.load() != 0) DrawCell(window, x, y);
  return true;
}
