// Short learned clauses that one clause-learning search hands to another
// while the two race on the same count: a ring one thread writes and one
// reads. The writer never waits; a reader that falls a whole ring behind
// loses the clauses it missed, which only costs it what they would have
// saved. Entries are atomics, so a clause overwritten while it is read is
// noticed and dropped rather than read torn.
//
// The two counts work as a sequence lock. The writer first claims the
// entries of the clause (claimed_, relaxed), then a release fence, then the
// entries, then publishes them (written_, release). The reader takes written_
// with acquire, so every entry before it is visible; reads the entries
// relaxed; then an acquire fence, and claimed_. If any entry it read was
// stored by a later clause, the fence pair makes that clause's claim visible
// to this load, and the clause is dropped. Without the fences the entry reads
// could move past the check, and the writer's next entries before its claim,
// on a processor that reorders them.
#pragma once

#include <atomic>
#include <cstdint>

class ClauseLane {
 public:
  // The longest clause handed over; longer ones stay with their search.
  static constexpr int kMostLiterals = 32;
  static constexpr uint32_t kSize = 1 << 15;

  // Empties the lane; no reader may run meanwhile.
  void Clear() {
    claimed_.store(0, std::memory_order_relaxed);
    written_.store(0, std::memory_order_relaxed);
  }

  // Appends a clause of 1 to kMostLiterals literals; `tag` (0 or 1) travels
  // with it. One thread only.
  void Put(int tag, const uint16_t* literals, int size) {
    const uint32_t at = written_.load(std::memory_order_relaxed);
    const uint32_t end = at + 1 + size;
    claimed_.store(end, std::memory_order_relaxed);
    // Keeps the claim ahead of every entry store below, for a reader that
    // sees one of those entries.
    std::atomic_thread_fence(std::memory_order_release);
    Store(at, static_cast<uint16_t>(size | tag << 15));
    for (int k = 0; k < size; ++k) Store(at + 1 + k, literals[k]);
    written_.store(end, std::memory_order_release);
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
      // The writer may have come round to these entries while they were read:
      // the fence keeps the reads above before the look at its claim.
      std::atomic_thread_fence(std::memory_order_acquire);
      const uint32_t after = claimed_.load(std::memory_order_relaxed);
      *read = at + 1 + size;
      if (after - at > kSize - (kMostLiterals + 1) || size == 0 || size > kMostLiterals) {
        *read = written_.load(std::memory_order_relaxed);
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
  // The end of the clause being put, or of the last one put: entries up to
  // here may have been stored.
  std::atomic<uint32_t> claimed_{0};
};
