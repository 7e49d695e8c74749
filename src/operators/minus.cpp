// Difference: the first operand's rows that match no row of the second, in order, with
// repetitions; rows match when their value texts agree at every column position.
#include <algorithm>
#include <utility>

#include "model/rowgroups.h"
#include "model/rowlimit.h"
#include "model/rowset.h"
#include "operators/operators.h"

namespace relalg {

namespace {

// Whether two tables have the same number of columns, and the same type at each position (not
// the same width: a char(0) column prints its values quoted).
bool sametypes(const table& t, const table& u) {
  if (t.columncount() != u.columncount()) return false;
  for (size_t k = 0; k < t.columns().size(); ++k) {
    if (t.columns()[k].type().holdsintegers() != u.columns()[k].type().holdsintegers())
      return false;
  }
  return true;
}

// The rows of t, each with the rows of the other that match it: what a difference's lineage
// lists.
table tracedmatches(const table& t, const rowvalues& x, const rowvalues& y, lineage& made) {
  const rowgroups groups(y);
  made = lineage(2);
  for (size_t row = 0; row < x.rows; ++row) {
    const auto own = static_cast<int32_t>(row);
    made.add(0, &own, &own + 1);
    const size_t g = groups.find(x, row);
    if (g == rowgroups::none) {
      made.add(1, &own, &own);
    } else {
      made.add(1, groups.first(g), groups.last(g));
    }
  }
  return t;
}

// The rows of t not found.
table keptunmatched(table t, const std::vector<uint8_t>& found) {
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < t.rowcount(); ++row) {
    if (!found[static_cast<size_t>(row)]) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != t.rowcount()) t.gather(kept);
  return t;
}

// The columns of t and the first as many of u as they match: two columns of integers by their
// values, which agree exactly when their texts do; any other pair by the value texts, a column
// of integers compared as its digits.
std::pair<std::vector<column>, std::vector<column>> matchable(const table& t, const table& u) {
  std::pair<std::vector<column>, std::vector<column>> both;
  for (size_t k = 0; k < t.columns().size(); ++k) {
    const column& a = t.columns()[k];
    const column& b = u.columns()[k];
    const bool integers = a.type().holdsintegers() && b.type().holdsintegers();
    const columntype astext = columntype::text(0);
    both.first.push_back(integers ? a : a.convertedto(astext));
    both.second.push_back(integers ? b : b.convertedto(astext));
  }
  return both;
}

// Fast path: when both tables' rows are their input lines as read and the columns at each
// position hold the same type, rows match exactly when their lines are equal, since each type
// prints its values one to one and a line reads back one way only. A line is one piece of
// memory, where a row's values lie in as many columns. The values give the same answer.
const inputlines* linesmatching(const table& t, const table& u) {
  const inputlines* tlines = t.lines() ? t.lines()->asread() : nullptr;
  const inputlines* ulines = u.lines() ? u.lines()->asread() : nullptr;
  return sametypes(t, u) && tlines && ulines ? tlines : nullptr;
}

// For each row of t, whether a row of u matches it (u has at least t's columns).
std::vector<uint8_t> matchedrows(const table& t, const table& u) {
  if (linesmatching(t, u)) {
    const rowvalues x(*t.lines()->asread());
    const rowvalues y(*u.lines()->asread());
    return heldin(x, rowhashes(x), y, rowhashes(y));
  }
  const auto [left, right] = matchable(t, u);
  const rowvalues x(left);
  const rowvalues y(right);
  return heldin(x, rowhashes(x), y, rowhashes(y));
}

// Pairs of a product tried at once, at most: the pairs of rows still unmatched are made
// in batches of growing size, never all of the product.
constexpr size_t mostpairs = size_t{1} << 20;

}  // namespace

table minusofproduct(const std::vector<table>& parts, const table& u) {
  const std::vector<int32_t> xs = parts[0].distinctrows();
  const std::vector<int32_t> ys = parts[1].distinctrows();
  // As large a product as relalg builds, or refused as it is.
  checkedrowcount(static_cast<uint64_t>(xs.size()) * ys.size());
  std::vector<std::vector<int32_t>> found(2);
  const int32_t count = parts[0].columncount() + parts[1].columncount();
  if (u.rowcount() == 0 || u.columncount() < count) {
    // Nothing matches: each row's first pair stays.
    if (!ys.empty()) {
      found[0] = xs;
      found[1].assign(xs.size(), ys.front());
    }
    return table::combined(parts, std::move(found));
  }
  // Every row still without an unmatched pair is paired with the next rows of the second
  // operand, twice as many each round.
  std::vector<int32_t> pending = xs;
  size_t from = 0;
  for (size_t chunk = 1; !pending.empty() && from < ys.size(); chunk *= 2) {
    const size_t width = std::max<size_t>(1, std::min(chunk, mostpairs / pending.size()));
    const size_t to = std::min(ys.size(), from + width);
    std::vector<std::vector<int32_t>> pairs(2);
    for (const int32_t x : pending) {
      for (size_t y = from; y < to; ++y) {
        pairs[0].push_back(x);
        pairs[1].push_back(ys[y]);
      }
    }
    const std::vector<int32_t> seconds = pairs[1];
    const std::vector<uint8_t> matched = matchedrows(table::combined(parts, std::move(pairs)), u);
    std::vector<int32_t> still;
    size_t at = 0;
    for (const int32_t x : pending) {
      bool paired = false;
      for (size_t y = from; y < to; ++y, ++at) {
        if (paired || matched[at]) continue;
        found[0].push_back(x);
        found[1].push_back(seconds[at]);
        paired = true;
      }
      if (!paired) still.push_back(x);
    }
    pending = std::move(still);
    from = to;
  }
  return table::combined(parts, std::move(found));
}

table minus(const table& r, const table& u, lineage* made) {
  table t = r;
  const int32_t rows = t.rowcount();
  const int32_t count = t.columncount();
  // A second operand with fewer columns than the result matches no row.
  if (rows == 0 || u.rowcount() == 0 || u.columncount() < count) {
    if (made) {
      *made = lineage(2);
      for (int32_t row = 0; row < rows; ++row) {
        made->add(0, &row, &row + 1);
        made->add(1, &row, &row);
      }
    }
    return t;
  }
  if (!made) return keptunmatched(t, matchedrows(t, u));
  if (linesmatching(t, u)) {
    const rowvalues x(*t.lines()->asread());
    const rowvalues y(*u.lines()->asread());
    return tracedmatches(t, x, y, *made);
  }
  const auto [left, right] = matchable(t, u);
  const rowvalues x(left);
  const rowvalues y(right);
  return tracedmatches(t, x, y, *made);
}

}  // namespace relalg
