// Union: the rows of both operands, columns matched by position, sorted without repeated
// rows.
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

}  // namespace

table database::unite(const querynode& n) {
  const table r = take(n.first);
  const table u = take(n.second);
  const table v = asfirst(u, r);
  checkedrowcount(uint64_t{static_cast<uint32_t>(r.rowcount())} +
                  static_cast<uint32_t>(v.rowcount()));
  // Both operands' rows in one table, then sorted once: a row both hold is kept once.
  table t;
  t.name = r.name;
  for (size_t k = 0; k < r.columns.size(); ++k) {
    auto both = r.columns[k]->clone();
    both->appendall(*v.columns[k]);
    t.addcolumn(std::move(both));
  }
  t.sortunique();
  return t;
}

}  // namespace relalg
