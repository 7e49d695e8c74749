// Renaming: every column cloned by position under a new table name and new column names.
#include "query/database.h"

namespace relalg {

table database::rename(const querynode& n) {
  const table r = take(n.first);
  table t;
  t.addclones(r);
  const renaming names = readrenaming(n.rest, t.columns.size());
  t.name = names.name;
  // When the text ends first, the later columns keep their names.
  for (size_t k = 0; k < names.columns.size(); ++k) t.columns[k]->name = names.columns[k];
  return t;
}

}  // namespace relalg
