// The table's row operations: gathering rows, sorting without repeats, combining parts.
#include "model/table.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "model/keysort.h"
#include "model/rowset.h"
#include "parallel/parallel.h"

namespace relalg {

namespace {

// Tables of fewer rows are sorted whole; hashing pays from many rows on.
constexpr size_t hashfrom = 4096;
// Hashing is given up once more than this share of the rows differ (one in hashshare).
constexpr size_t hashshare = 8;

// The bytes a column's value takes: a text's is twice an integer's.
size_t valuesize(const column& c) { return c.type().holdsintegers() ? 4 : 8; }

}  // namespace

table::table(std::string label, std::vector<column> columns, std::optional<rowlines> lines)
    : name(std::move(label)), all(std::move(columns)), printed(std::move(lines)) {}

void table::addcolumn(column c) {
  printed.reset();
  all.push_back(std::move(c));
}

void table::gather(const std::vector<int32_t>& rows) {
  if (printed) printed = printed->kept(rows);
  // Each column is written on its own, so the columns are dealt out by the bytes written.
  std::vector<size_t> sizes;
  for (const column& c : all) sizes.push_back(rows.size() * valuesize(c));
  parallel::dealt(sizes, [&](size_t k) { all[k].gather(rows); });
}

void table::sortunique() {
  const std::vector<int32_t> rows = distinctrows();
  const bool unchanged =
      static_cast<int32_t>(rows.size()) == rowcount() &&
      std::all_of(rows.begin(), rows.end(), [&, i = 0](int32_t row) mutable { return row == i++; });
  if (!unchanged) gather(rows);
}

table table::combined(const std::vector<table>& parts, std::vector<std::vector<int32_t>> rows) {
  table t(parts.front().name);
  std::vector<const std::vector<int32_t>*> picks;
  bool lines = true;  // whether every part prints as its lines
  for (size_t p = 0; p < parts.size(); ++p) {
    for (const column& c : parts[p].all) {
      t.all.push_back(c);
      picks.push_back(&rows[p]);
    }
    lines = lines && parts[p].printed;
  }
  std::vector<size_t> sizes;
  for (size_t k = 0; k < t.all.size(); ++k) sizes.push_back(picks[k]->size() * valuesize(t.all[k]));
  parallel::dealt(sizes, [&](size_t k) { t.all[k].gather(*picks[k]); });
  if (lines) {
    std::vector<rowlines> printed;
    for (const table& part : parts) printed.push_back(*part.printed);
    t.printed = rowlines::combined(printed, std::move(rows));
  }
  return t;
}

std::vector<int32_t> table::distinctrows() const {
  // Rows of few distinct values are told apart by hashing, so only one of each is sorted.
  const auto total = static_cast<size_t>(rowcount());
  std::optional<std::vector<int32_t>> first;
  if (total >= hashfrom) first = firstdistinct(rowvalues(all), total / hashshare);
  if (first) return sortedunique(std::move(*first));
  std::vector<int32_t> rows(total);
  std::iota(rows.begin(), rows.end(), 0);
  return sortedunique(std::move(rows));
}

std::vector<int32_t> table::sortedunique(std::vector<int32_t> rows) const {
  // Rows that compare equal are equal in every value, so any sort followed by dropping
  // neighbouring equals gives what a selection sort with removal of duplicates gives. This
  // one sorts by the first column, then sorts each run of rows that tie so far by the next
  // column, and so on: columns after the first are looked at only where rows still tie.
  std::vector<std::pair<size_t, size_t>> ties;
  if (rows.size() > 1) ties.emplace_back(0, rows.size());
  std::vector<uint64_t> words;
  std::vector<uint64_t> scratch;
  std::vector<int32_t> tied;
  std::vector<int32_t> everyrow;  // every row of the table, made once needed
  for (size_t k = 0; k < all.size() && !ties.empty(); ++k) {
    // Keys of the rows that still tie only, in the order of their runs; but when most rows
    // still tie, of every row in the order they are held, which reads memory in sequence.
    tied.clear();
    for (const auto& [begin, end] : ties) {
      tied.insert(tied.end(), rows.begin() + static_cast<ptrdiff_t>(begin),
                  rows.begin() + static_cast<ptrdiff_t>(end));
    }
    const bool most = 2 * tied.size() > static_cast<size_t>(rowcount());
    if (most && everyrow.empty()) {
      everyrow.resize(static_cast<size_t>(rowcount()));
      std::iota(everyrow.begin(), everyrow.end(), 0);
    }
    const std::vector<uint32_t> keys = all[k].sortkeys(most ? everyrow : tied);
    std::vector<std::pair<size_t, size_t>> stilltied;
    size_t at = 0;  // where the run's keys begin among the tied rows
    for (const auto& [begin, end] : ties) {
      words.clear();
      for (size_t i = begin; i < end; ++i, ++at) {
        words.push_back(keyed(keys[most ? static_cast<size_t>(rows[i]) : at], rows[i]));
      }
      sortbykey(words, scratch);
      for (size_t i = begin; i < end;) {
        size_t run = i + 1;
        while (run < end && keyof(words[run - begin]) == keyof(words[i - begin])) ++run;
        if (run - i > 1) stilltied.emplace_back(i, run);
        i = run;
      }
      for (size_t i = begin; i < end; ++i) rows[i] = rowof(words[i - begin]);
    }
    ties.swap(stilltied);
  }
  // What still ties after the last column are equal rows: the first of each run stays.
  std::vector<bool> repeated(rows.size(), false);
  for (const auto& [begin, end] : ties) {
    for (size_t i = begin + 1; i < end; ++i) repeated[i] = true;
  }
  size_t kept = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!repeated[i]) rows[kept++] = rows[i];
  }
  rows.resize(kept);
  return rows;
}

}  // namespace relalg
