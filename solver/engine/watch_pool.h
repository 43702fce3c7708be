// Lists of watchers for the clause-learning search, all in one fixed pool so
// that nothing is allocated while it runs. A list that outgrows its place
// moves to the pool's end with twice the room; when the end is reached every
// list is packed to the front first.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>

// kLists lists, together never longer than kMostEntries (and none longer
// than kMostInOne); the pool then always has room for any list to double.
template <typename Entry, int kLists, int kMostEntries, int kMostInOne>
class WatchPool {
 public:
  static constexpr int kCapacity = kMostEntries + 2 * kMostInOne + 4;

  void Clear() {
    std::fill(std::begin(lists_), std::end(lists_), Place{0, 0, 0});
    used_ = 0;
  }

  // Appends to a list. Moves lists: pointers from Entries do not survive it.
  void Push(int list, const Entry& entry) {
    Place& place = lists_[list];
    if (place.size == place.room) {
      const int room = std::min(2 * place.room + 4, kMostInOne);
      if (used_ + room > kCapacity) Pack();
      std::copy(pool_ + place.start, pool_ + place.start + place.size, pool_ + used_);
      place.start = used_;
      place.room = static_cast<uint16_t>(room);
      used_ += room;
    }
    pool_[place.start + place.size++] = entry;
  }

  Entry* Entries(int list) { return pool_ + lists_[list].start; }
  int Size(int list) const { return lists_[list].size; }
  // Keeps the first `size` entries (the caller has moved the ones it keeps
  // to the front).
  void Shorten(int list, int size) { lists_[list].size = static_cast<uint16_t>(size); }

 private:
  static_assert(kMostInOne <= 0xFFFF, "a list's size and room take 16 bits");
  struct Place {
    int32_t start;
    uint16_t size;
    uint16_t room;
  };

  // Moves every list to the front, each with room for no more than it holds.
  // Lists move in the order they lie in the pool, so none is overwritten
  // before it has moved; each keeps its entries' order.
  void Pack() {
    for (int list = 0; list < kLists; ++list) order_[list] = list;
    std::sort(std::begin(order_), std::end(order_),
              [this](int a, int b) { return lists_[a].start < lists_[b].start; });
    int used = 0;
    for (const int list : order_) {
      Place& place = lists_[list];
      std::copy(pool_ + place.start, pool_ + place.start + place.size, pool_ + used);
      place.start = used;
      place.room = place.size;
      used += place.size;
    }
    used_ = used;
  }

  Entry pool_[kCapacity];
  int used_ = 0;
  Place lists_[kLists] = {};
  int32_t order_[kLists];
};
