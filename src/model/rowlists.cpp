// The lists of values behind a table's columns.
#include "model/rowlists.h"

#include "model/charcolumn.h"
#include "model/intcolumn.h"

namespace relalg {

rowlists::rowlists(const table& t) : rows(static_cast<size_t>(t.rowcount())) {
  for (const auto& c : t.columns) {
    if (const auto* ints = dynamic_cast<const intcolumn*>(c.get())) {
      columns.push_back({ints->values.get().data(), nullptr});
    } else {
      columns.push_back({nullptr, dynamic_cast<const charcolumn&>(*c).values.get().data()});
    }
  }
}

}  // namespace relalg
