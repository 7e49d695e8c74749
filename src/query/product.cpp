// Product: every pairing of the operands' rows, sorted without repeated rows.
#include "query/database.h"

namespace relalg {

table database::product(const querynode& n) {
  const table r = evaluate(n.first);
  const table u = evaluate(n.second);
  table t;
  t.name = r.name;
  t.addclones(r);
  t.addclones(u);
  // Pairs compare by their first operand's row, then by their second's, so pairing the
  // operands' sorted distinct rows in order gives the sorted distinct product directly.
  const std::vector<int32_t> left = r.distinctrows();
  const std::vector<int32_t> right = u.distinctrows();
  std::vector<int32_t> leftrows;
  std::vector<int32_t> rightrows;
  leftrows.reserve(left.size() * right.size());
  rightrows.reserve(left.size() * right.size());
  for (const int32_t x : left) {
    for (const int32_t y : right) {
      leftrows.push_back(x);
      rightrows.push_back(y);
    }
  }
  // The clones keep their sources' types, so passing values through text would change none.
  for (int32_t k = 0; k < t.columncount(); ++k) {
    t.columns[static_cast<size_t>(k)]->keeprows(k < r.columncount() ? leftrows : rightrows);
  }
  return t;
}

}  // namespace relalg
