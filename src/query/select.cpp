// Selection: the operand's rows for which the condition holds, in order, repetitions kept.
#include "query/database.h"

#include "condition/condition.h"

namespace relalg {

table database::select(std::string_view a) {
  const operands split = splitoperand(a, *parens);
  const table r = evaluate(split.first);
  table t;
  t.name = r.name;
  t.addclones(r);
  const int32_t n = t.rowcount();
  if (n == 0) return t;  // the condition is never evaluated
  // The condition is parsed and its column names resolved once, then asked row by row;
  // the kept rows are compacted in one pass instead of removing failing rows one at a time.
  const condition z(split.rest, t, *parens);
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < n; ++row) {
    if (z.evaluatecondition(row)) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != n) t.keeprows(kept);
  return t;
}

}  // namespace relalg
