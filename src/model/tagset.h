// An open-addressing set of rows, each placed by the upper half of its hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace relalg {

// A slot holds a row's tag (the upper half of its hash) above the row plus one; 0 is empty.
// The tag alone places a row, so the set grows without hashing any row again, and rows are
// compared only where their tags agree.
class tagset {
 public:
  // Room for `rows` rows before the set first grows.
  explicit tagset(size_t rows = 0) {
    size_t size = 1024;
    while (size < 2 * rows) size *= 2;
    slots.assign(size, 0);
  }

  // Whether a row of this hash for which same(row) holds is in the set; at is then its slot,
  // or else the empty slot where the search ended.
  template <typename equal>
  bool find(uint64_t hash, equal&& same, size_t& at) const {
    const uint64_t tag = hash & tagbits;
    for (at = place(tag, slots.size()); slots[at] != 0; at = (at + 1) & (slots.size() - 1)) {
      if ((slots[at] & tagbits) == tag && same(static_cast<size_t>((slots[at] & rowbits) - 1))) {
        return true;
      }
    }
    return false;
  }

  // Puts a row into the empty slot that find ended at; the set stays at most half full.
  void add(size_t at, uint64_t hash, size_t row) {
    slots[at] = (hash & tagbits) | (row + 1);
    if (2 * ++count > slots.size()) grow();
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
