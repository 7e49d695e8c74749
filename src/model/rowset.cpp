// Holding rows by their values, and the row sets of distinct rows and differences.
#include "model/rowset.h"

#include <algorithm>
#include <atomic>

#include "parallel/parallel.h"

namespace relalg {

size_t rowset::add(const rowvalues& from, size_t row, uint64_t hash, bool& added) {
  size_t at;
  added = !slots.find(
      hash, [&](size_t held) { return samerow(held, from, row); }, at);
  if (!added) return slots.row(at);
  const size_t number = source ? row : count;
  ++count;
  slots.add(at, hash, number);
  if (source) return number;
  starts.push_back(bytes.size());
  for (const columnvalues& c : from.columns) {
    if (c.integers) {
      put(&c.integers[row], sizeof(int32_t));
      continue;
    }
    const std::string_view text = c.text(row);
    const bool copied = text.size() <= inlinetext;
    const auto length = static_cast<uint16_t>(copied ? text.size() : longmark);
    put(&length, sizeof length);
    if (copied) {
      put(text.data(), text.size());
    } else {
      put(&text, sizeof text);
    }
  }
  return number;
}

std::vector<uint64_t> rowhashes(const rowvalues& rows) {
  std::vector<uint64_t> hashes(rows.rows);
  parallel::eachrange(parallel::halves(rows.rows), [&](size_t, const parallel::range& part) {
    for (size_t row = part.first; row < part.last; ++row) hashes[row] = rows.hash(row);
  });
  return hashes;
}

namespace {

// The rows looked at before giving up when almost every one of them differs.
constexpr size_t sample = 4096;
// How often a part looks whether the other has given up.
constexpr size_t checkevery = 4096;
// How many rows apart the steps of fetching ahead what a row will read are.
constexpr size_t fetchahead = 8;

// The rows of values held in a set, and which row was first met of each.
struct firsts {
  rowset held;
  std::vector<int32_t> rows;
};

}  // namespace

std::optional<std::vector<int32_t>> firstdistinct(const rowvalues& rows, size_t most) {
  // Many rows are worked in two halves at once, each holding the first of its own sets of
  // equal rows; then the second half's that the first does not hold follow the first half's,
  // in row order.
  const std::vector<parallel::range> halves = parallel::halves(rows.rows);
  std::vector<firsts> found(halves.size(), firsts{rowset(rows, rowset::holding::copies), {}});
  std::atomic<bool> stop{false};
  parallel::eachrange(halves, [&](size_t part, const parallel::range& range) {
    firsts& f = found[part];
    bool isnew;
    for (size_t row = range.first; row < range.last; ++row) {
      if ((row - range.first) % checkevery == 0 && stop.load(std::memory_order_relaxed)) return;
      f.held.add(rows, row, rows.hash(row), isnew);
      if (isnew) {
        if (f.rows.size() == most) return stop.store(true, std::memory_order_relaxed);
        f.rows.push_back(static_cast<int32_t>(row));
      }
      // Rows nearly all distinct from the start would all be hashed only to be given up.
      if (part == 0 && row + 1 == range.first + sample && 8 * f.rows.size() > 7 * sample) {
        return stop.store(true, std::memory_order_relaxed);
      }
    }
  });
  if (stop.load()) return std::nullopt;
  std::vector<int32_t>& first = found.front().rows;
  for (size_t part = 1; part < found.size(); ++part) {
    for (const int32_t row : found[part].rows) {
      const auto at = static_cast<size_t>(row);
      if (found.front().held.find(rows, at, rows.hash(at)) != rowset::none) continue;
      if (first.size() == most) return std::nullopt;
      first.push_back(row);
    }
  }
  return std::move(first);
}

std::vector<uint8_t> heldin(const rowvalues& rows, const std::vector<uint64_t>& hashes,
                            const rowvalues& other, const std::vector<uint64_t>& otherhashes) {
  // The other's rows are held in two sets by the lowest bit of their hash, filled at once
  // when there are many; then the rows are looked up in their own order, in two halves at
  // once, each in the set of its hash's bit: only reading the sets. The hashes are known
  // ahead, so the slot a row will meet is fetched while the rows before it are worked.
  const size_t parts = parallel::splits(other.rows) ? 2 : 1;
  const uint64_t bit = parts - 1;
  std::vector<rowset> sets;  // made in place: each is a large table of slots
  sets.reserve(parts);
  for (size_t part = 0; part < parts; ++part) {
    sets.emplace_back(other, rowset::holding::inplace, other.rows / parts);
  }
  std::vector<parallel::range> each(parts, parallel::range{0, other.rows});
  parallel::eachrange(each, [&](size_t part, const parallel::range&) {
    bool added;
    for (size_t row = 0; row < other.rows; ++row) {
      // Rows met again compare with the row held: it is fetched like a looked-up row's.
      if (row + 3 * fetchahead < other.rows) {
        const uint64_t ahead = otherhashes[row + 3 * fetchahead];
        if ((ahead & bit) == part) sets[part].fetch(ahead);
      }
      if (row + 2 * fetchahead < other.rows) {
        const uint64_t ahead = otherhashes[row + 2 * fetchahead];
        if ((ahead & bit) == part) sets[part].fetchvalues(ahead);
      }
      if (row + fetchahead < other.rows) {
        const uint64_t ahead = otherhashes[row + fetchahead];
        if ((ahead & bit) == part) sets[part].fetchtexts(ahead);
      }
      if ((otherhashes[row] & bit) == part) sets[part].add(other, row, otherhashes[row], added);
    }
  });
  std::vector<uint8_t> found(rows.rows);
  parallel::eachrange(parallel::halves(rows.rows), [&](size_t, const parallel::range& part) {
    for (size_t row = part.first; row < part.last; ++row) {
      if (row + 3 * fetchahead < part.last) {
        const uint64_t ahead = hashes[row + 3 * fetchahead];
        sets[ahead & bit].fetch(ahead);
      }
      if (row + 2 * fetchahead < part.last) {
        const uint64_t ahead = hashes[row + 2 * fetchahead];
        sets[ahead & bit].fetchvalues(ahead);
      }
      if (row + fetchahead < part.last) {
        const uint64_t ahead = hashes[row + fetchahead];
        sets[ahead & bit].fetchtexts(ahead);
      }
      const uint64_t hash = hashes[row];
      found[row] = sets[hash & bit].find(rows, row, hash) != rowset::none;
    }
  });
  return found;
}

}  // namespace relalg
