// Projection: clones of the named columns in list order, then sorted without repeated rows.
#include "query/database.h"

namespace relalg {

table database::project(std::string_view a) {
  const operands split = splitoperand(a, *parens);
  const table r = evaluate(split.first);
  table t;  // unnamed, whatever the operand's name
  std::string_view list = split.rest;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    // A name no column bears, the empty one included, adds no column.
    t.addcolumn(r.copycolumn(list.substr(0, comma)));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  t.sortunique();
  return t;
}

}  // namespace relalg
