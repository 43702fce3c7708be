#include "solver/candidates.h"

#include <cstring>

#include "solver/bits.h"
#include "solver/geometry.h"

CandidateTable candidates;

namespace {

// Box numbers and places for the current size.
void MapBoxes() {
  const int n = board.gridSize;
  const int nb = board.boxSize;
  if (candidates.mappedSize == n) return;
  candidates.mappedSize = n;
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      candidates.boxOf[x][y] = static_cast<uint8_t>(y / nb * nb + x / nb);
      candidates.slotOf[x][y] = static_cast<uint8_t>(y % nb * nb + x % nb);
    }
  }
  for (int v = 1; v <= n; ++v) {
    for (int k = 0; k < n; ++k) {
      for (int kind = 0; kind < kUnitKinds; ++kind) {
        candidates.ruleDigit[UnitRuleIndex(v, k, kind)] = static_cast<uint8_t>(v);
        candidates.ruleUnit[UnitRuleIndex(v, k, kind)] = static_cast<uint8_t>(k);
      }
    }
  }
}

// Everything but candidateMask follows from candidateMask and fixed. Every
// unit rule has its masks to read afresh.
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
  for (uint64_t& word : candidates.unitChanged) word = ~uint64_t{0};
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      if (board.fixed[x][y] != 0) {
        ++candidates.rowFilled[y];
        ++candidates.columnFilled[x];
      }
      const uint32_t box = candidates.boxOf[x][y];
      const uint32_t slot = BitAt(candidates.slotOf[x][y]);
      for (uint32_t mask = candidates.candidateMask[x][y]; mask != 0; mask &= mask - 1) {
        const int v = LowestIndex(mask) + 1;
        candidates.rowPlaces[y][v] |= BitAt(x);
        candidates.columnPlaces[x][v] |= BitAt(y);
        candidates.boxPlaces[box][v] |= slot;
      }
    }
  }
}

void MarkChanged(int index) { candidates.unitChanged[index >> 6] |= uint64_t{1} << (index & 63); }

}  // namespace

FlagTable::FlagTable() {
  for (int b = 0; b < 256; ++b) {
    for (int i = 0; i < 8; ++i) flags[b][i] = ((b >> i) & 1) ^ 1;
  }
}
const FlagTable flagsOfByte;

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
    }
  }
  if (!candidates.flagsDeferred) WriteEliminatedFromMasks();
  DeriveFromMasks();
}

void WriteEliminatedFromMasks() {
  const int n = board.gridSize;
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      const uint32_t mask = candidates.candidateMask[x][y];
      int32_t* flags = board.eliminated[x][y] + 1;
      int v = 0;
      for (; v + 8 <= n; v += 8) {
        std::memcpy(flags + v, flagsOfByte.flags[(mask >> v) & 0xFF], sizeof flagsOfByte.flags[0]);
      }
      for (; v < n; ++v) flags[v] = ((mask >> v) & 1) ^ 1;
    }
  }
}

namespace {

// RuleOut's body, written into PlaceDigit's loops as well: a placement takes
// some twenty candidates.
inline __attribute__((always_inline)) void TakeCandidate(int x, int y, int v) {
  if (!candidates.flagsDeferred) board.eliminated[x][y][v] = 1;
  uint32_t& mask = candidates.candidateMask[x][y];
  if ((mask & BitOf(v)) == 0) return;
  mask &= ~BitOf(v);
  const int box = candidates.boxOf[x][y];
  candidates.rowPlaces[y][v] &= ~BitAt(x);
  candidates.columnPlaces[x][v] &= ~BitAt(y);
  candidates.boxPlaces[box][v] &= ~BitAt(candidates.slotOf[x][y]);
  ++candidates.rowChanges[y];
  ++candidates.columnChanges[x];
  const int digitRules = UnitRuleIndex(v, 0, 0);
  MarkChanged(digitRules + box * kUnitKinds);
  MarkChanged(digitRules + y * kUnitKinds + 1);
  MarkChanged(digitRules + x * kUnitKinds + 2);
}

}  // namespace

void RuleOut(int x, int y, int v) { TakeCandidate(x, y, v); }

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
    TakeCandidate(LowestIndex(places), y, v);
  }
  for (uint32_t places = candidates.columnPlaces[x][v]; places != 0; places &= places - 1) {
    TakeCandidate(x, LowestIndex(places), v);
  }
  const int box = candidates.boxOf[x][y];
  for (uint32_t places = candidates.boxPlaces[box][v]; places != 0; places &= places - 1) {
    const CellPos peer = BoxPeer(x, y, LowestIndex(places));
    TakeCandidate(peer.x, peer.y, v);
  }
  for (uint32_t own = candidates.candidateMask[x][y]; own != 0; own &= own - 1) {
    TakeCandidate(x, y, LowestIndex(own) + 1);
  }
  if (board.showProgress.load() != 0) DrawCell(window, x, y);
  return true;
}
