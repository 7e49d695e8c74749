// Plain lists of a table's values, and rows of two tables compared.
#include "model/rowvalues.h"

#include <algorithm>

namespace relalg {

rowvalues::rowvalues(const std::vector<column>& all, size_t count) {
  count = std::min(count, all.size());
  rows = count == 0 ? 0 : static_cast<size_t>(all.front().size());
  for (size_t k = 0; k < count; ++k) {
    const column& c = all[k];
    if (c.type().holdsintegers()) {
      columns.push_back({c.integers().data(), nullptr});
    } else {
      columns.push_back({nullptr, c.texts().data()});
    }
  }
}

rowvalues::rowvalues(const inputlines& lines) : rows(lines.starts.size() - 1) {
  columns.push_back({nullptr, nullptr, lines.base, lines.starts.data()});
}

int rowvalues::compare(size_t a, const rowvalues& other, size_t b) const {
  for (size_t k = 0; k < columns.size(); ++k) {
    const columnvalues& x = columns[k];
    const columnvalues& y = other.columns[k];
    if (x.integers) {
      if (const int order = comparenumbers(x.integers[a], y.integers[b])) return order;
    } else if (const int order = x.text(a).compare(y.text(b))) {
      return order;
    }
  }
  return 0;
}

}  // namespace relalg
