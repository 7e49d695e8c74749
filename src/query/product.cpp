// Product: every pairing of the operands' rows, sorted without repeated rows.
#include "query/database.h"

#include "model/rowlimit.h"

namespace relalg {

table database::product(std::string_view a) {
  const operands split = splitoperand(a, *parens);
  const table r = evaluate(split.first);
  const table u = evaluate(split.rest);
  table t;
  t.name = r.name;
  t.addclones(r);
  t.addclones(u);
  // Pairs compare by their first operand's row, then by their second's, so pairing the
  // operands' sorted distinct rows in order gives the sorted distinct product directly.
  const std::vector<int32_t> left = r.distinctrows();
  const std::vector<int32_t> right = u.distinctrows();
  const auto rows = static_cast<size_t>(checkedrowcount(uint64_t{left.size()} * right.size()));
  std::vector<int32_t> leftrows;
  std::vector<int32_t> rightrows;
  leftrows.reserve(rows);
  rightrows.reserve(rows);
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
