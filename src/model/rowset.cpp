// Holding rows by their values, and the row sets of distinct rows and differences.
#include "model/rowset.h"

#include <algorithm>
#include <atomic>

#include "parallel/parallel.h"

namespace relalg {

size_t rowset::add(const rowvalues& from, size_t row, uint64_t hash, bool& added) {
  size_t at;
  const auto value = [&](size_t k, int32_t& number, std::string_view& text) {
    if (from.columns[k].integers) {
      number = from.columns[k].integers[row];
    } else {
      text = from.columns[k].texts[row].view();
    }
  };
  added = !slots.find(
      hash, [&](size_t held) { return same(held, value); }, at);
  if (!added) return slots.row(at);
  const size_t number = count++;
  slots.add(at, hash, number);
  if (source) {
    rows.push_back(row);
    return number;
  }
  starts.push_back(bytes.size());
  for (const columnvalues& c : from.columns) {
    if (c.integers) {
      put(&c.integers[row], sizeof(int32_t));
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

// The rows of values held in a set, and which row was first met of each.
struct firsts {
  rowset held;
  std::vector<int32_t> rows;
};

}  // namespace

std::optional<std::vector<int32_t>> firstdistinct(const rowvalues& rows, size_t most) {
  // Rows nearly all distinct from the start would all be hashed only to be given up.
  const size_t sampled = std::min(rows.rows, sample);
  rowset first(rows, rowset::holding::copies);
  bool added;
  for (size_t row = 0; row < sampled; ++row) first.add(rows, row, rows.hash(row), added);
  if (sampled == sample && 8 * first.size() > 7 * sample) return std::nullopt;
  // Many rows are worked in two parts at once, each holding the rows whose hash ends in its
  // bit: equal rows hash alike, so each part finds the first of its own sets of equal rows, in
  // row order, and the two lists merge into the first of every set.
  const std::vector<uint64_t> hashes = rowhashes(rows);
  const size_t parts = parallel::splits(rows.rows) ? 2 : 1;
  std::vector<firsts> found(parts, firsts{rowset(rows, rowset::holding::copies), {}});
  std::atomic<bool> stop{false};
  const auto fill = [&](size_t part) {
    firsts& f = found[part];
    bool isnew;
    for (size_t row = 0; row < rows.rows; ++row) {
      if (row % checkevery == 0 && stop.load(std::memory_order_relaxed)) return;
      const uint64_t hash = hashes[row];
      if (hash % parts != part) continue;
      f.held.add(rows, row, hash, isnew);
      if (!isnew) continue;
      if (f.rows.size() * parts >= most) return stop.store(true, std::memory_order_relaxed);
      f.rows.push_back(static_cast<int32_t>(row));
    }
  };
  const std::vector<parallel::range> each(parts, parallel::range{0, rows.rows});
  parallel::eachrange(each, [&](size_t part, const parallel::range&) { fill(part); });
  if (stop.load()) return std::nullopt;
  if (parts == 1) return std::move(found.front().rows);
  std::vector<int32_t> merged(found[0].rows.size() + found[1].rows.size());
  std::merge(found[0].rows.begin(), found[0].rows.end(), found[1].rows.begin(), found[1].rows.end(),
             merged.begin());
  return merged;
}

std::vector<uint8_t> heldin(const rowvalues& rows, const std::vector<uint64_t>& hashes,
                            const rowvalues& other, const std::vector<uint64_t>& otherhashes) {
  // The other's rows are held in two sets by the lowest bit of their hash, filled at once
  // when there are many; then the rows are looked up in their own order, in two halves at
  // once, each in the set of its hash's bit: only reading the sets.
  const size_t parts = parallel::splits(other.rows) ? 2 : 1;
  std::vector<rowset> sets(parts, rowset(other, rowset::holding::inplace));
  std::vector<parallel::range> each(parts, parallel::range{0, other.rows});
  parallel::eachrange(each, [&](size_t part, const parallel::range&) {
    bool added;
    for (size_t row = 0; row < other.rows; ++row) {
      if (otherhashes[row] % parts == part) sets[part].add(other, row, otherhashes[row], added);
    }
  });
  std::vector<uint8_t> found(rows.rows);
  parallel::eachrange(parallel::halves(rows.rows), [&](size_t, const parallel::range& part) {
    for (size_t row = part.first; row < part.last; ++row) {
      const uint64_t hash = hashes[row];
      found[row] = sets[hash % parts].find(rows, row, hash) != rowset::none;
    }
  });
  return found;
}

}  // namespace relalg
