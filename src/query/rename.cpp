// Renaming: every column cloned by position under a new table name and new column names.
#include "query/database.h"

namespace relalg {

table database::rename(const querynode& n) {
  const table r = evaluate(n.first);
  table t;
  t.addclones(r);
  const std::string_view rest = n.rest;
  // The new name takes its first character unconditionally, then runs to the next "(".
  const size_t open = rest.empty() ? std::string_view::npos : rest.find('(', 1);
  if (open == std::string_view::npos) {
    t.name = rest;  // no column list: every column keeps its name
    return t;
  }
  t.name = rest.substr(0, open);
  size_t i = open + 1;
  for (const auto& c : t.columns) {
    if (i >= rest.size()) break;  // the text ended: this column and the later ones keep their names
    // Each new column name, too, takes its first character unconditionally.
    size_t end = findeither(rest, ',', ')', i + 1);
    if (end == std::string_view::npos) end = rest.size();
    c->name = rest.substr(i, end - i);
    i = end + 1;
  }
  return t;
}

}  // namespace relalg
