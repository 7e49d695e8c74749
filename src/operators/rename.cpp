// Renaming: every column kept by position under a new table name and new column names.
#include "operators/operators.h"

namespace relalg {

table rename(const step& s, const table& r) {
  table t = r;
  t.name = s.output.name;
  for (size_t k = 0; k < s.output.columns.size(); ++k) t.renamecolumn(k, s.output.columns[k].name);
  return t;
}

}  // namespace relalg
