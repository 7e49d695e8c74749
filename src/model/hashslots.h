// An open-addressing table of numbered entries (rows, texts, keys), each placed by its hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace relalg {

// A slot holds an entry's tag (the upper half of its hash) above the entry's number plus one;
// 0 is empty. The tag alone places an entry, so the table grows without hashing any entry
// again, and entries are compared only where their tags agree.
class hashslots {
 public:
  // Room for `entries` entries before the table first grows.
  explicit hashslots(size_t entries = 0) {
    size_t size = 1024;
    while (size < 2 * entries) size *= 2;
    slots.assign(size, 0);
  }

  // Whether an entry of this hash for which same(entry) holds is in the table; at is then its
  // slot, or else the empty slot where the search ended.
  template <typename equal>
  bool find(uint64_t hash, equal&& same, size_t& at) const {
    const uint64_t tag = hash & tagbits;
    for (at = place(tag, slots.size()); slots[at] != 0; at = (at + 1) & (slots.size() - 1)) {
      if ((slots[at] & tagbits) == tag && same(row(at))) return true;
    }
    return false;
  }

  // The entry in a slot that find answered.
  size_t row(size_t at) const { return static_cast<size_t>((slots[at] & rowbits) - 1); }

  // Puts an entry into the empty slot that find ended at; the table stays at most half full.
  void add(size_t at, uint64_t hash, size_t entry) {
    slots[at] = (hash & tagbits) | (entry + 1);
    if (2 * ++count > slots.size()) grow();
  }

  // Starts fetching the slot where a search for this hash begins.
  void fetch(uint64_t hash) const {
    __builtin_prefetch(&slots[place(hash & tagbits, slots.size())]);
  }
  // The entry in the slot where a search for this hash begins, when its tag is the hash's: the
  // entry a search most likely finds. Meant for fetching ahead: a search may find another.
  bool first(uint64_t hash, size_t& entry) const {
    const size_t at = place(hash & tagbits, slots.size());
    if (slots[at] == 0 || (slots[at] & tagbits) != (hash & tagbits)) return false;
    entry = row(at);
    return true;
  }

 private:
  static constexpr uint64_t tagbits = 0xffffffff00000000ull;
  static constexpr uint64_t rowbits = 0xffffffffull;
  std::vector<uint64_t> slots;
  size_t count = 0;

  static size_t place(uint64_t slot, size_t size) {
    return static_cast<size_t>(slot >> 32) & (size - 1);
  }

  void grow() {
    std::vector<uint64_t> larger(slots.size() * 2, 0);
    for (const uint64_t slot : slots) {
      if (slot == 0) continue;
      size_t at = place(slot, larger.size());
      while (larger[at] != 0) at = (at + 1) & (larger.size() - 1);
      larger[at] = slot;
    }
    slots.swap(larger);
  }
};

}  // namespace relalg
