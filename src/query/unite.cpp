// Union: the rows of both operands, columns matched by position, sorted without repeated
// rows; each operand is sorted alone and the two merged.
#include "query/database.h"

#include <algorithm>
#include <typeinfo>

#include "model/alongside.h"
#include "model/rowlimit.h"
#include "model/rowlists.h"
#include "model/textint.h"

namespace relalg {

namespace {

// The second operand's rows as the first operand's columns would hold them: a column of the
// same type serves unchanged (values pass through text without change), another is
// converted through text, and a missing one holds the empty text (0 in an integer column).
table asfirst(const table& u, const table& r) {
  table v;
  const int32_t m = u.rowcount();
  for (int32_t k = 0; k < r.columncount(); ++k) {
    const column& like = *r.columns[static_cast<size_t>(k)];
    const column* from = k < u.columncount() ? u.columns[static_cast<size_t>(k)].get() : nullptr;
    if (from && typeid(*from) == typeid(like)) {
      v.addcolumn(u.columns[static_cast<size_t>(k)]);
      continue;
    }
    auto converted = emptylike(like);
    converted->reserve(m);
    intbuffer buffer;
    for (int32_t j = 0; j < m; ++j) {
      converted->addvalue(from ? from->valueview(j, buffer) : std::string_view());
    }
    v.addcolumn(std::move(converted));
  }
  return v;
}

// Negative, zero or positive as row a of one table is below, equal to or above row b of
// another whose columns have the same types: comparerows across two tables.
int comparebetween(const rowlists& one, size_t a, const rowlists& other, size_t b) {
  for (size_t k = 0; k < one.columns.size(); ++k) {
    const rowlists::list& x = one.columns[k];
    const rowlists::list& y = other.columns[k];
    if (x.numbers) {
      if (const int order = comparenumbers(x.numbers[a], y.numbers[b])) return order;
    } else if (const int order = x.texts[a].view().compare(y.texts[b].view())) {
      return order;
    }
  }
  return 0;
}

// How far ahead of the merge rows are fetched: sorted rows lie at random in their columns.
constexpr size_t fetchahead = 16;

// Starts fetching a row's values, and the bytes of the texts of a row fetched before.
void fetchrow(const rowlists& from, const std::vector<int32_t>& rows, size_t i) {
  for (const rowlists::list& c : from.columns) {
    if (i + fetchahead < rows.size()) {
      const auto row = static_cast<size_t>(rows[i + fetchahead]);
      if (c.numbers) {
        __builtin_prefetch(&c.numbers[row]);
      } else {
        __builtin_prefetch(&c.texts[row]);
      }
    }
    if (c.texts && i + fetchahead / 2 < rows.size()) {
      __builtin_prefetch(c.texts[static_cast<size_t>(rows[i + fetchahead / 2])].view().data());
    }
  }
}

// Merges the rows a[i] up to a[iend] and b[j] up to b[jend], each sorted without repeats,
// onto picks: a row of the first operand is a pick of its row, one of the second of -1 - its
// row, and a row both hold is picked once.
void merge(const rowlists& x, const std::vector<int32_t>& a, size_t i, size_t iend,
           const rowlists& y, const std::vector<int32_t>& b, size_t j, size_t jend,
           std::vector<int32_t>& picks) {
  while (i < iend && j < jend) {
    fetchrow(x, a, i);
    fetchrow(y, b, j);
    const int order = comparebetween(x, static_cast<size_t>(a[i]), y, static_cast<size_t>(b[j]));
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
  const bool many =
      static_cast<size_t>(r.rowcount()) + static_cast<size_t>(v.rowcount()) >= splitfrom;
  std::vector<int32_t> a;
  std::vector<int32_t> b;
  alongsidewhen(
      many, [&] { a = r.distinctrows(); }, [&] { b = v.distinctrows(); });
  const rowlists x(r);
  const rowlists y(v);
  std::vector<int32_t> picks;
  if (!many || a.empty()) {
    picks.reserve(a.size() + b.size());
    merge(x, a, 0, a.size(), y, b, 0, b.size(), picks);
    return picks;
  }
  const size_t middle = a.size() / 2;
  const auto below = [&](int32_t row) {
    return comparebetween(y, static_cast<size_t>(row), x, static_cast<size_t>(a[middle])) < 0;
  };
  const auto split =
      static_cast<size_t>(std::partition_point(b.begin(), b.end(), below) - b.begin());
  std::vector<int32_t> rest;
  picks.reserve(middle + split);
  rest.reserve(a.size() - middle + b.size() - split);
  alongside([&] { merge(x, a, 0, middle, y, b, 0, split, picks); },
            [&] { merge(x, a, middle, a.size(), y, b, split, b.size(), rest); });
  picks.insert(picks.end(), rest.begin(), rest.end());
  return picks;
}

}  // namespace

table database::unite(const querynode& n) {
  const table r = take(n.first);
  const table u = take(n.second);
  const table v = asfirst(u, r);
  checkedrowcount(uint64_t{static_cast<uint32_t>(r.rowcount())} +
                  static_cast<uint32_t>(v.rowcount()));
  // The result takes its values straight from both operands: no table of all their rows is
  // made to be sorted.
  const std::vector<int32_t> picks = mergedrows(r, v);
  table t;
  t.name = r.name;
  std::vector<columnwork> work;
  for (size_t k = 0; k < r.columns.size(); ++k) {
    t.addcolumn(emptylike(*r.columns[k]));
    column& both = *t.columns.back();
    work.push_back(
        {&both, picks.size(), [&, k] { both.pickrows(*r.columns[k], *v.columns[k], picks); }});
  }
  workcolumns(work);
  return t;
}

}  // namespace relalg
