// An open-addressing set of rows, each kept as the first row met of its values.
#include "model/rowhash.h"

#include <atomic>
#include <cstring>
#include <string>

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

// Texts longer than this are kept by reference: the copies stay a few cache lines each.
constexpr size_t inlinetext = 64;

// The values of the rows kept, one after another: a row met again is compared with them in a
// few cache lines, not at random in its columns and the input. Each integer takes four bytes;
// each text its length in two, then its bytes, or a mark and its textref when it is long.
class keptvalues {
 public:
  explicit keptvalues(const rowlists& rows) : from(rows) {}

  // Copies the values of a row; they are the next kept row's.
  void add(size_t row) {
    starts.push_back(bytes.size());
    for (const auto& c : from.columns) {
      if (c.numbers) {
        put(&c.numbers[row], sizeof(int32_t));
        continue;
      }
      const std::string_view text = c.texts[row].view();
      const bool copied = text.size() <= inlinetext;
      const auto length = static_cast<uint16_t>(copied ? text.size() : longmark);
      put(&length, sizeof length);
      if (copied) {
        put(text.data(), text.size());
      } else {
        put(&c.texts[row], sizeof(textref));
      }
    }
  }

  // Whether the kept row numbered kept has the values of a row of the table.
  bool same(size_t kept, size_t row) const {
    const char* at = bytes.data() + starts[kept];
    for (const auto& c : from.columns) {
      if (c.numbers) {
        if (take<int32_t>(at) != c.numbers[row]) return false;
        continue;
      }
      const std::string_view text = c.texts[row].view();
      const auto length = take<uint16_t>(at);
      if (length == longmark) {
        if (!sametext(take<textref>(at).view(), text)) return false;
        continue;
      }
      if (!sametext(std::string_view(at, length), text)) return false;
      at += length;
    }
    return true;
  }

 private:
  static constexpr uint16_t longmark = 0xffff;
  const rowlists& from;
  std::string bytes;
  std::vector<size_t> starts;

  void put(const void* value, size_t size) { bytes.append(static_cast<const char*>(value), size); }

  template <typename value>
  static value take(const char*& at) {
    value v;
    std::memcpy(&v, at, sizeof v);
    at += sizeof v;
    return v;
  }
};

// The rows looked at before giving up when almost every one of them differs.
constexpr size_t sample = 4096;
// How often a half looks whether the other has given up.
constexpr size_t checkevery = 4096;

// The distinct rows met in a range of a table's rows, each the first row of its values.
class rowset {
 public:
  std::vector<int32_t> first;

  explicit rowset(const rowlists& rows) : from(rows), values(rows) {}

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
        rows.add(at, hash, first.size());
        first.push_back(static_cast<int32_t>(row));
        values.add(row);
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
  keptvalues values;
  tagset rows;  // each slot holds the number of a kept row

  bool find(size_t row, uint64_t hash, size_t& at) const {
    return rows.find(
        hash, [&](size_t kept) { return values.same(kept, row); }, at);
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
  // Many rows are hashed in two halves, each on a thread of its own; the second half's rows
  // that the first does not hold follow the first half's, in row order.
  rowset tail(from);
  const bool many = from.rows >= splitfrom;
  const size_t half = many ? from.rows / 2 : from.rows;
  bool headdone = false;
  bool taildone = false;
  alongsidewhen(
      many, [&] { headdone = head.addrange(0, half, most, true, stop); },
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
