// Union: the rows of both operands, columns matched by position, sorted without repeated
// rows; by merging the two operands' sorted distinct rows, never holding both together.
#include "query/database.h"

#include <typeinfo>

#include "model/rowlimit.h"

namespace relalg {

namespace {

// An empty column of the same type, name and width as c.
std::shared_ptr<column> emptylike(const column& c) {
  auto empty = c.clone();
  empty->keeprows({});
  return empty;
}

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

int comparerowsacross(const table& x, int32_t a, const table& y, int32_t b) {
  for (size_t k = 0; k < x.columns.size(); ++k) {
    if (const int order = x.columns[k]->compareto(a, *y.columns[k], b)) return order;
  }
  return 0;
}

}  // namespace

table database::unite(const querynode& n) {
  const table r = take(n.first);
  const table u = take(n.second);
  const table v = asfirst(u, r);
  table t;
  t.name = r.name;
  for (const auto& c : r.columns) t.addcolumn(emptylike(*c));
  const std::vector<int32_t> left = r.distinctrows();
  const std::vector<int32_t> right = v.distinctrows();
  const int32_t rows = checkedrowcount(uint64_t{left.size()} + right.size());
  for (const auto& c : t.columns) c->reserve(rows);
  size_t i = 0;
  size_t j = 0;
  while (i < left.size() || j < right.size()) {
    const int order = i == left.size()    ? 1
                      : j == right.size() ? -1
                                          : comparerowsacross(r, left[i], v, right[j]);
    // A row both operands hold is taken once.
    const table& from = order <= 0 ? r : v;
    const int32_t row = order <= 0 ? left[i] : right[j];
    for (size_t k = 0; k < t.columns.size(); ++k) t.columns[k]->appendfrom(*from.columns[k], row);
    if (order <= 0) ++i;
    if (order >= 0) ++j;
  }
  return t;
}

}  // namespace relalg
