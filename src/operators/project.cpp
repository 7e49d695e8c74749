// Projection: clones of the picked columns in list order, then sorted without repeated rows.
#include "operators/operators.h"

namespace relalg {

table project(const step& s, const table& r) {
  table t;  // unnamed, whatever the operand's name
  for (const int32_t k : s.columns) t.addcolumn(r.columns()[static_cast<size_t>(k)]);
  t.sortunique();
  return t;
}

}  // namespace relalg
