// Selection: the operand's rows for which the condition holds, in order, repetitions kept; over
// a product, the combinations of its operands' rows that pass, without building the product.
#include "condition/condition.h"
#include "model/alongside.h"
#include "query/database.h"
#include "query/join/joinplan.h"

namespace relalg {

table database::select(const querynode& n) {
  // Selections over selections over a product are one selection by all their conditions:
  // each names the product's columns, and each keeps the order of the rows it is given.
  if (const int32_t bottom = joined(n); bottom != querynode::none) {
    std::vector<int32_t> roots{n.condition};
    for (int32_t at = n.first; at != bottom; at = tree->nodes[static_cast<size_t>(at)].first) {
      roots.push_back(tree->nodes[static_cast<size_t>(at)].condition);
    }
    return join(bottom, roots);
  }
  const table r = take(n.first);
  table t;
  t.name = r.name;
  t.addclones(r);
  const int32_t rows = t.rowcount();
  if (rows == 0) return t;  // the condition is never evaluated
  // The condition is bound to the columns once, then asked row by row; the kept rows are
  // compacted in one pass instead of removing failing rows one at a time.
  const condition z(*tree, n.condition, columnlist::of(t));
  // Many rows are asked in two halves at once.
  const int32_t half = static_cast<size_t>(rows) < splitfrom ? rows : rows / 2;
  std::vector<uint8_t> passes;
  std::vector<uint8_t> after;
  alongsidewhen(
      half < rows, [&] { passes = z.evaluateall(0, half); },
      [&] { after = z.evaluateall(half, rows); });
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < half; ++row) {
    if (passes[static_cast<size_t>(row)]) kept.push_back(row);
  }
  for (int32_t row = half; row < rows; ++row) {
    if (after[static_cast<size_t>(row - half)]) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != rows) t.keeprows(kept);
  return t;
}

table database::join(int32_t over, const std::vector<int32_t>& roots) {
  // The product's operands, products among them flattened, left to right.
  std::vector<table> parts;
  // Each product met, with the first of its operands among the parts.
  std::vector<std::pair<int32_t, size_t>> products;
  std::vector<int32_t> pending{over};
  while (!pending.empty()) {
    const int32_t node = pending.back();
    pending.pop_back();
    const querynode& at = tree->nodes[static_cast<size_t>(node)];
    if (at.op == operatorkind::product) {
      products.emplace_back(node, parts.size());
      pending.push_back(at.second);
      pending.push_back(at.first);
    } else {
      parts.push_back(take(node));
    }
  }
  if (watcher) {
    // Innermost first, as evaluation would have reached them.
    for (auto p = products.rbegin(); p != products.rend(); ++p) {
      const auto first = parts.begin() + static_cast<ptrdiff_t>(p->second);
      const std::vector<table> operands(first, first + leaves[static_cast<size_t>(p->first)]);
      const combined c = combine(operands, watcher->preview);
      watcher->seen(p->first, c.t, c.rows);
    }
  }
  const joinplan plan(*tree, roots, parts);
  return combination(parts, plan.matches());
}

}  // namespace relalg
