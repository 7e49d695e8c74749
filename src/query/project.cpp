// Projection: clones of the named columns in list order, then sorted without repeated rows.
#include "query/database.h"

#include <unordered_map>

namespace relalg {

table database::project(const querynode& n) {
  const table r = take(n.first);
  // For each name, the first column that bears it, as copycolumn finds it, looked up without
  // a scan of every column for every name of a long list.
  std::unordered_map<std::string_view, size_t> named;
  for (size_t k = 0; k < r.columns.size(); ++k) named.try_emplace(r.columns[k]->name, k);
  table t;  // unnamed, whatever the operand's name
  for (const std::string_view name : projectnames(n.rest)) {
    // A name no column bears, the empty one included, adds no column.
    const auto found = named.find(name);
    if (found != named.end()) t.addcolumn(r.columns[found->second]->clone());
  }
  t.sortunique();
  return t;
}

}  // namespace relalg
