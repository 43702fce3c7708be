// The maker's random numbers: xoshiro256** seeded through splitmix64, with
// ranges cut by rejection. The library's distributions may give other
// numbers on another library, so they are not used: a seed gives the same
// puzzles on every build and platform.
#pragma once

#include <cstdint>
#include <utility>

class MakerRandom {
 public:
  explicit MakerRandom(uint64_t seed) {
    for (uint64_t& word : state_) {
      seed += 0x9E3779B97F4A7C15u;
      uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
      word = z ^ (z >> 31);
    }
  }

  uint64_t Next() {
    const uint64_t result = RotateLeft(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = RotateLeft(state_[3], 45);
    return result;
  }

  // A number in [0, bound), every one as likely: the high 32 bits, drawn
  // again while they fall in the short last stretch that bound does not fill.
  uint32_t Below(uint32_t bound) {
    const uint32_t tooLow = static_cast<uint32_t>(-bound) % bound;
    for (;;) {
      const uint32_t r = static_cast<uint32_t>(Next() >> 32);
      if (r >= tooLow) return r % bound;
    }
  }

  // Fisher-Yates.
  template <typename T>
  void Shuffle(T* items, int count) {
    for (int i = count - 1; i > 0; --i) {
      std::swap(items[i], items[Below(static_cast<uint32_t>(i + 1))]);
    }
  }

 private:
  static uint64_t RotateLeft(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  uint64_t state_[4];
};
