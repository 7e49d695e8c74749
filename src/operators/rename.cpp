// Renaming: every column kept by position under a new table name and new column names.
#include "operators/operators.h"

namespace relalg {

table rename(const step& s, const table& r, lineage* made) {
  if (made) {
    *made = lineage(1);
    for (int32_t row = 0; row < r.rowcount(); ++row) made->add(0, &row, &row + 1);
  }
  table t = r;
  t.name = s.output.name;
  for (size_t k = 0; k < s.output.columns.size(); ++k) t.renamecolumn(k, s.output.columns[k].name);
  return t;
}

}  // namespace relalg
