// Selection: the operand's rows for which the condition holds, in order, repetitions kept.
#include "operators/condition/condition.h"
#include "operators/operators.h"
#include "parallel/parallel.h"

namespace relalg {

table select(const querytree& tree, const plan& p, const step& s, const table& r, lineage* made) {
  table t = r;
  const int32_t rows = t.rowcount();
  if (made) *made = lineage(1);
  if (rows == 0) return t;  // the condition is never evaluated
  // The condition is bound to the columns once, then asked for all the rows, in two halves at
  // once when there are many; the kept rows are gathered in one pass.
  std::vector<boundcolumn> columns;
  for (const column& c : t.columns()) columns.push_back({0, &c});
  const condition z(tree, s.condition, p.bindings, columns);
  const std::vector<parallel::range> parts = parallel::halves(static_cast<size_t>(rows));
  std::vector<std::vector<uint8_t>> passes(parts.size());
  parallel::eachrange(parts, [&](size_t part, const parallel::range& range) {
    passes[part] =
        z.evaluate({0, nullptr, static_cast<int32_t>(range.first), range.size(), nullptr});
  });
  std::vector<int32_t> kept;
  for (size_t part = 0; part < parts.size(); ++part) {
    for (size_t i = 0; i < parts[part].size(); ++i) {
      if (passes[part][i]) kept.push_back(static_cast<int32_t>(parts[part].first + i));
    }
  }
  if (made) {
    for (const int32_t& row : kept) made->add(0, &row, &row + 1);
  }
  if (static_cast<int32_t>(kept.size()) != rows) t.gather(kept);
  return t;
}

}  // namespace relalg
