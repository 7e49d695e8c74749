// An open-addressing set of rows, each kept as the first row met of its values.
#include "model/rowhash.h"

#include <atomic>

#include "model/alongside.h"
#include "model/rowlists.h"
#include "model/tagset.h"
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
// How often a half looks whether the other has given up.
constexpr size_t checkevery = 4096;

// The distinct rows met in a range of a table's rows, each the first row of its values.
class rowset {
 public:
  std::vector<int32_t> first;

  explicit rowset(const rowlists& rows) : from(rows) {}

  // Adds the rows from begin up to end, while at most most differ and until stop is set;
  // answers false, setting stop, once more differ, or with sampled nearly all of the first
  // rows.
  bool addrange(size_t begin, size_t end, size_t most, bool sampled, std::atomic<bool>& stop) {
    for (size_t row = begin; row < end; ++row) {
      if ((row - begin) % checkevery == 0 && stop.load(std::memory_order_relaxed)) return false;
      const uint64_t hash = rowhash(from, row);
      size_t at;
      if (!find(row, hash, at)) {
        if (first.size() == most) return giveup(stop);
        rows.add(at, hash, row);
        first.push_back(static_cast<int32_t>(row));
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
    return find(row, rowhash(from, row), at);
  }

 private:
  const rowlists& from;
  tagset rows;

  bool find(size_t row, uint64_t hash, size_t& at) const {
    return rows.find(
        hash, [&](size_t kept) { return samerow(from, kept, row); }, at);
  }

  static bool giveup(std::atomic<bool>& stop) {
    stop.store(true, std::memory_order_relaxed);
    return false;
  }
};

}  // namespace

std::optional<std::vector<int32_t>> firstdistinct(const table& t, size_t most) {
  const rowlists from(t);
  std::atomic<bool> stop{false};
  rowset head(from);
  if (from.rows < splitfrom) {
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
