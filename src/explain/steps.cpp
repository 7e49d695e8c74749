// Recording each step's value as the evaluation's observer.
#include "explain/steps.h"

#include <algorithm>

namespace relalg {

steprecorder::steprecorder(size_t nodes, int32_t shown) : steps(nodes) { preview = shown; }

void steprecorder::seen(int32_t node, const table& t, int64_t rows) {
  step& s = steps[static_cast<size_t>(node)];
  s.seen = true;
  s.rows = rows;
  s.header = table();
  s.header.name = t.name;
  // Empty clones keep the names, types and widths: what a condition binds to.
  for (const auto& c : t.columns) {
    auto empty = c->clone();
    empty->keeprows({});
    s.header.addcolumn(std::move(empty));
  }
  s.first.clear();
  const int32_t shown = std::min<int32_t>(preview, t.rowcount());
  for (int32_t row = 0; row < shown; ++row) {
    std::vector<std::string> values;
    for (const auto& c : t.columns) values.push_back(c->printvalue(row));
    s.first.push_back(std::move(values));
  }
}

}  // namespace relalg
