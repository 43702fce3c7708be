// Short learned clauses that one clause-learning search hands to another
// while the two race on the same count: a ring one thread writes and one
// reads. The writer never waits; a reader that falls a whole ring behind
// loses the clauses it missed, which only costs it what they would have
// saved. Entries are atomics, so a clause overwritten while it is read is
// noticed and dropped rather than read torn.
#pragma once

#include <atomic>
#include <cstdint>

class ClauseLane {
 public:
  // The longest clause handed over; longer ones stay with their search.
  static constexpr int kMostLiterals = 32;
  static constexpr uint32_t kSize = 1 << 15;

  void Clear() { written_.store(0, std::memory_order_relaxed); }

  // Appends a clause of 1 to kMostLiterals literals; `tag` (0 or 1) travels
  // with it.
  void Put(int tag, const uint16_t* literals, int size) {
    const uint32_t at = written_.load(std::memory_order_relaxed);
    Store(at, static_cast<uint16_t>(size | tag << 15));
    for (int k = 0; k < size; ++k) Store(at + 1 + k, literals[k]);
    written_.store(at + 1 + size, std::memory_order_release);
  }

  // Calls take(tag, literals, size) on each clause put since *read, and
  // moves *read past them.
  template <typename Take>
  void TakeNew(uint32_t* read, Take take) const {
    uint16_t literals[kMostLiterals];
    for (;;) {
      const uint32_t written = written_.load(std::memory_order_acquire);
      uint32_t at = *read;
      if (written - at > kSize - (kMostLiterals + 1)) at = written;  // fell behind
      if (at == written) {
        *read = at;
        return;
      }
      const uint16_t head = Load(at);
      const int size = head & 0x7FFF;
      for (int k = 0; k < size && k < kMostLiterals; ++k) literals[k] = Load(at + 1 + k);
      // The writer may have come round to these entries while they were read.
      const uint32_t after = written_.load(std::memory_order_acquire);
      *read = at + 1 + size;
      if (after - at > kSize - (kMostLiterals + 1) || size == 0 || size > kMostLiterals) {
        *read = after;
        continue;
      }
      take(head >> 15, literals, size);
    }
  }

 private:
  void Store(uint32_t at, uint16_t value) {
    ring_[at % kSize].store(value, std::memory_order_relaxed);
  }
  uint16_t Load(uint32_t at) const { return ring_[at % kSize].load(std::memory_order_relaxed); }

  std::atomic<uint16_t> ring_[kSize];
  // Entries put so far; positions wrap at 2^32, a multiple of kSize.
  std::atomic<uint32_t> written_{0};
};
