// Union: the rows of both operands, columns matched by position, sorted without repeated
// rows; each operand is sorted alone and the two merged.
#include <algorithm>

#include "model/rowgroups.h"
#include "model/rowlimit.h"
#include "model/rowvalues.h"
#include "operators/operators.h"
#include "parallel/parallel.h"

namespace relalg {

namespace {

// The second operand's rows as the first operand's columns would hold them: a column of the
// same type serves unchanged (values pass through text without change), another is
// converted through text, and a missing one holds the empty text (0 in an integer column).
table asfirst(const table& u, const table& r) {
  table v;
  const int32_t m = u.rowcount();
  for (int32_t k = 0; k < r.columncount(); ++k) {
    const column& like = r.columns()[static_cast<size_t>(k)];
    if (k < u.columncount()) {
      v.addcolumn(u.columns()[static_cast<size_t>(k)].convertedto(like.type()));
      continue;
    }
    column missing = like.emptycopy();
    missing.reserve(m);
    for (int32_t j = 0; j < m; ++j) missing.addvalue({});
    v.addcolumn(std::move(missing));
  }
  return v;
}

// How far ahead of the merge rows are fetched: sorted rows lie at random in their columns.
constexpr size_t fetchahead = 16;

// Starts fetching a row's values, and the bytes of the texts of a row fetched before.
void fetchrow(const rowvalues& from, const std::vector<int32_t>& rows, size_t i) {
  for (const columnvalues& c : from.columns) {
    if (i + fetchahead < rows.size()) {
      const auto row = static_cast<size_t>(rows[i + fetchahead]);
      if (c.integers) {
        __builtin_prefetch(&c.integers[row]);
      } else {
        __builtin_prefetch(c.textplace(row));
      }
    }
    if (!c.integers && i + fetchahead / 2 < rows.size()) {
      __builtin_prefetch(c.text(static_cast<size_t>(rows[i + fetchahead / 2])).data());
    }
  }
}

// Merges the rows a[i] up to a[iend] and b[j] up to b[jend], each sorted without repeats,
// onto picks: a row of the first operand is a pick of its row, one of the second of -1 - its
// row, and a row both hold is picked once.
void merge(const rowvalues& x, const std::vector<int32_t>& a, size_t i, size_t iend,
           const rowvalues& y, const std::vector<int32_t>& b, size_t j, size_t jend,
           std::vector<int32_t>& picks) {
  while (i < iend && j < jend) {
    fetchrow(x, a, i);
    fetchrow(y, b, j);
    const int order = x.compare(static_cast<size_t>(a[i]), y, static_cast<size_t>(b[j]));
    if (order <= 0) picks.push_back(a[i++]);
    if (order >= 0) picks.push_back(-1 - b[j++]);
    if (order == 0) picks.pop_back();  // the second operand's equal row
  }
  for (; i < iend; ++i) picks.push_back(a[i]);
  for (; j < jend; ++j) picks.push_back(-1 - b[j]);
}

// Each operand's rows sorted without repeats, merged. Many rows are sorted an operand on each
// thread, and merged in two parts at once: the rows below the first operand's middle row,
// and the rest.
std::vector<int32_t> mergedrows(const table& r, const table& v) {
  const size_t total = static_cast<size_t>(r.rowcount()) + static_cast<size_t>(v.rowcount());
  std::vector<int32_t> a;
  std::vector<int32_t> b;
  parallel::both(
      total, [&] { a = r.distinctrows(); }, [&] { b = v.distinctrows(); });
  const rowvalues x(r.columns());
  const rowvalues y(v.columns());
  // The second operand's rows below the first's middle row merge with the first's below it.
  const size_t middle = a.size() / 2;
  const auto below = [&](int32_t row) {
    return y.compare(static_cast<size_t>(row), x, static_cast<size_t>(a[middle])) < 0;
  };
  const bool split = parallel::splits(total) && !a.empty();
  const size_t cut =
      split ? static_cast<size_t>(std::partition_point(b.begin(), b.end(), below) - b.begin()) : 0;
  const std::vector<parallel::range> halves =
      split ? std::vector<parallel::range>{{0, middle}, {middle, a.size()}}
            : std::vector<parallel::range>{{0, a.size()}};
  std::vector<std::vector<int32_t>> picks(halves.size());
  parallel::eachrange(halves, [&](size_t part, const parallel::range& range) {
    const size_t bfirst = part == 0 ? 0 : cut;
    const size_t blast = split && part == 0 ? cut : b.size();
    picks[part].reserve(range.size() + blast - bfirst);
    merge(x, a, range.first, range.last, y, b, bfirst, blast, picks[part]);
  });
  if (picks.size() == 2) picks[0].insert(picks[0].end(), picks[1].begin(), picks[1].end());
  return std::move(picks[0]);
}

}  // namespace

table unite(const table& r, const table& u, lineage* made) {
  const table v = asfirst(u, r);
  checkedrowcount(uint64_t{static_cast<uint32_t>(r.rowcount())} +
                  static_cast<uint32_t>(v.rowcount()));
  // The result takes its values straight from both operands: no table of all their rows is
  // made to be sorted.
  const std::vector<int32_t> picks = mergedrows(r, v);
  std::vector<column> both;
  std::vector<size_t> sizes;
  for (const column& c : r.columns()) {
    both.push_back(c.emptycopy());
    sizes.push_back(picks.size() * (c.type().holdsintegers() ? 4 : 8));
  }
  parallel::dealt(sizes, [&](size_t k) { both[k].pick(r.columns()[k], v.columns()[k], picks); });
  if (made) {
    // Each row is held by a group of rows of either operand, or of both.
    const rowvalues x(r.columns());
    const rowvalues y(v.columns());
    const rowgroups first(x);
    const rowgroups second(y);
    *made = lineage(2);
    const auto list = [&](size_t operand, const rowgroups& groups, size_t g) {
      if (g == rowgroups::none) {
        made->add(operand, groups.first(0), groups.first(0));
      } else {
        made->add(operand, groups.first(g), groups.last(g));
      }
    };
    for (const int32_t pick : picks) {
      const auto row = static_cast<size_t>(pick >= 0 ? pick : -1 - pick);
      list(0, first, pick >= 0 ? first.groupof(row) : first.find(y, row));
      list(1, second, pick < 0 ? second.groupof(row) : second.find(x, row));
    }
  }
  return table(r.name, std::move(both));
}

}  // namespace relalg
