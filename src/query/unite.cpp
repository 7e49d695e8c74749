// Union: the first operand's rows, then the second's matched by column position, sorted
// without repeated rows.
#include "query/database.h"

namespace relalg {

table database::unite(std::string_view a) {
  const operands split = splitoperand(a, *parens);
  const table r = evaluate(split.first);
  const table u = evaluate(split.rest);
  table t;
  t.name = r.name;
  t.addclones(r);
  const int32_t m = u.rowcount();
  for (int32_t k = 0; k < t.columncount() && m > 0; ++k) {
    column& target = *t.columns[static_cast<size_t>(k)];
    if (k < u.columncount()) {
      // Values pass as plain text and the receiving column converts them.
      const column& from = *u.columns[static_cast<size_t>(k)];
      intbuffer buffer;
      for (int32_t j = 0; j < m; ++j) target.addvalue(from.valueview(j, buffer));
    } else {
      // A column the second operand lacks gets the neutral value in the appended rows.
      for (int32_t j = 0; j < m; ++j) target.addvalue({});
    }
  }
  t.sortunique();
  return t;
}

}  // namespace relalg
