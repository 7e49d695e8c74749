// An open-addressing set of rows, each kept as the first row met of its values.
#include "model/rowhash.h"

#include <atomic>

#include "model/alongside.h"
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
      h = (h ^ hashbytes(c.texts[row].view())) * 0x9e3779b97f4a7c15ull;
      h ^= h >> 32;
    }
  }
  return h;
}

bool samerow(const rowlists& from, size_t a, size_t b) {
  for (const auto& c : from.columns) {
    if (c.numbers ? c.numbers[a] != c.numbers[b]
                  : !sametext(c.texts[a].view(), c.texts[b].view())) {
      return false;
    }
  }
  return true;
}

// The rows looked at before giving up when almost every one of them differs.
constexpr size_t sample = 4096;
// Tables of this many rows or more are hashed in two halves at once.
constexpr size_t splitrows = size_t{1} << 17;
// How often a half looks whether the other has given up.
constexpr size_t checkevery = 4096;

constexpr uint64_t tagbits = 0xffffffff00000000ull;

// A slot holds a row's tag (the upper half of its hash) above the row plus one; 0 is empty.
// The tag alone places a row, so the set grows without hashing any row again.
size_t place(uint64_t slot, size_t mask) { return static_cast<size_t>(slot >> 32) & mask; }

// The distinct rows met in a range of a table's rows, each the first row of its values.
class rowset {
 public:
  std::vector<int32_t> first;

  explicit rowset(const rowlists& rows) : from(rows), slots(1024, 0) {}

  // Adds the rows from begin up to end, while at most most differ and until stop is set;
  // answers false, setting stop, once more differ, or with sampled nearly all of the first
  // rows.
  bool addrange(size_t begin, size_t end, size_t most, bool sampled, std::atomic<bool>& stop) {
    for (size_t row = begin; row < end; ++row) {
      if ((row - begin) % checkevery == 0 && stop.load(std::memory_order_relaxed)) return false;
      const uint64_t tag = rowhash(from, row) & tagbits;
      size_t at;
      if (!find(row, tag, at)) {
        if (first.size() == most) return giveup(stop);
        slots[at] = tag | (row + 1);
        first.push_back(static_cast<int32_t>(row));
        if (2 * first.size() > slots.size()) grow();  // at most half full
      }
      // Rows nearly all distinct from the start would all be hashed only to be given up.
      if (sampled && row + 1 == begin + sample && 8 * first.size() > 7 * sample) {
        return giveup(stop);
      }
    }
    return true;
  }

  // Whether a row of the same values is in the set.
  bool holds(size_t row) const {
    size_t at;
    return find(row, rowhash(from, row) & tagbits, at);
  }

 private:
  const rowlists& from;
  std::vector<uint64_t> slots;

  // Whether a row of the same values is in the set; at is its slot, or the empty one that
  // ends the search.
  bool find(size_t row, uint64_t tag, size_t& at) const {
    const size_t mask = slots.size() - 1;
    for (at = place(tag, mask); slots[at] != 0; at = (at + 1) & mask) {
      const uint64_t slot = slots[at];
      if ((slot & tagbits) == tag && samerow(from, (slot & 0xffffffffu) - 1, row)) return true;
    }
    return false;
  }

  static bool giveup(std::atomic<bool>& stop) {
    stop.store(true, std::memory_order_relaxed);
    return false;
  }

  void grow() {
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
};

}  // namespace

std::optional<std::vector<int32_t>> firstdistinct(const table& t, size_t most) {
  const rowlists from(t);
  std::atomic<bool> stop{false};
  rowset head(from);
  if (from.rows < splitrows) {
    if (!head.addrange(0, from.rows, most, true, stop)) return std::nullopt;
    return std::move(head.first);
  }
  // Each half on a thread of its own; the second half's rows that the first does not hold
  // follow the first half's, in row order.
  rowset tail(from);
  const size_t half = from.rows / 2;
  bool headdone = false;
  bool taildone = false;
  alongside([&] { headdone = head.addrange(0, half, most, true, stop); },
            [&] { taildone = tail.addrange(half, from.rows, most, false, stop); });
  if (!headdone || !taildone) return std::nullopt;
  for (const int32_t row : tail.first) {
    if (head.holds(static_cast<size_t>(row))) continue;
    if (head.first.size() == most) return std::nullopt;
    head.first.push_back(row);
  }
  return std::move(head.first);
}

}  // namespace relalg
