// An open-addressing set of rows, each kept as the first row met of its values.
#include "model/rowhash.h"

#include "model/rowlists.h"
#include "model/texthash.h"

namespace relalg {

namespace {

uint64_t rowhash(const rowlists& from, size_t row) {
  uint64_t h = 0;
  for (const auto& c : from.columns) {
    if (c.numbers) {
      h = hashnumber(c.numbers[row], h);
    } else {
      h = (h ^ hashbytes(c.texts[row])) * 0x9e3779b97f4a7c15ull;
      h ^= h >> 32;
    }
  }
  return h;
}

bool samerow(const rowlists& from, size_t a, size_t b) {
  for (const auto& c : from.columns) {
    if (c.numbers ? c.numbers[a] != c.numbers[b] : !sametext(c.texts[a], c.texts[b])) return false;
  }
  return true;
}

// The rows looked at before giving up when almost every one of them differs.
constexpr size_t sample = 4096;

// A slot holds a row's tag (the upper half of its hash) above the row plus one; 0 is empty.
// The tag alone places a row, so the set grows without hashing any row again.
size_t place(uint64_t slot, size_t mask) { return static_cast<size_t>(slot >> 32) & mask; }

void grow(std::vector<uint64_t>& slots) {
  std::vector<uint64_t> larger(slots.size() * 2, 0);
  const size_t mask = larger.size() - 1;
  for (const uint64_t slot : slots) {
    if (slot == 0) continue;
    size_t at = place(slot, mask);
    while (larger[at] != 0) at = (at + 1) & mask;
    larger[at] = slot;
  }
  slots.swap(larger);
}

}  // namespace

std::optional<std::vector<int32_t>> firstdistinct(const table& t, size_t most) {
  const rowlists from(t);
  std::vector<int32_t> first;
  std::vector<uint64_t> slots(1024, 0);
  for (size_t row = 0; row < from.rows; ++row) {
    const uint64_t tag = rowhash(from, row) & 0xffffffff00000000ull;
    const size_t mask = slots.size() - 1;
    size_t at = place(tag, mask);
    bool seen = false;
    for (; slots[at] != 0; at = (at + 1) & mask) {
      const uint64_t slot = slots[at];
      if ((slot & 0xffffffff00000000ull) == tag && samerow(from, (slot & 0xffffffffu) - 1, row)) {
        seen = true;
        break;
      }
    }
    if (!seen) {
      if (first.size() == most) return std::nullopt;
      slots[at] = tag | (row + 1);
      first.push_back(static_cast<int32_t>(row));
      if (2 * first.size() > slots.size()) grow(slots);  // at most half full
    }
    // Rows nearly all distinct from the start would all be hashed only to be given up.
    if (row + 1 == sample && 8 * first.size() > 7 * sample) return std::nullopt;
  }
  return first;
}

}  // namespace relalg
