// Digit masks: bit d - 1 stands for digit d. Shared by the logical rules and
// the search engine; the one home of the bit helpers.
#pragma once

#include <cstdint>

inline bool IsSingle(uint32_t mask) { return (mask & (mask - 1)) == 0; }
inline int DigitOf(uint32_t single) { return __builtin_ctz(single) + 1; }
inline uint32_t BitOf(int digit) { return uint32_t{1} << (digit - 1); }
// The same masks over places rather than digits: bit i for place i (a cell of
// a unit, a cell of a list), numbered from 0.
inline uint32_t BitAt(int index) { return uint32_t{1} << index; }
// The place of the lowest set bit; the mask must not be 0.
inline int LowestIndex(uint32_t mask) { return __builtin_ctz(mask); }
// Portable bit count: without -mpopcnt the builtin becomes a library call.
inline int CountOf(uint32_t mask) {
  mask = mask - ((mask >> 1) & 0x55555555u);
  mask = (mask & 0x33333333u) + ((mask >> 2) & 0x33333333u);
  return static_cast<int>((((mask + (mask >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24);
}
