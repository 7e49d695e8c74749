// Projection: clones of the picked columns in list order, then sorted without repeated rows.
#include "model/rowgroups.h"
#include "operators/operators.h"

namespace relalg {

table project(const step& s, const table& r, lineage* made) {
  table t;  // unnamed, whatever the operand's name
  for (const int32_t k : s.columns) t.addcolumn(r.columns()[static_cast<size_t>(k)]);
  if (!made) {
    t.sortunique();
    return t;
  }
  // Each row is one of a group of the operand's rows equal in the columns picked.
  const std::vector<int32_t> distinct = t.distinctrows();
  const rowvalues picked(t.columns());
  const rowgroups groups(picked);
  *made = lineage(1);
  for (const int32_t row : distinct) {
    const uint32_t g = groups.groupof(static_cast<size_t>(row));
    made->add(0, groups.first(g), groups.last(g));
  }
  t.gather(distinct);
  return t;
}

}  // namespace relalg
