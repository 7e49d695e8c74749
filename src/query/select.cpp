// Selection: the operand's rows for which the condition holds, in order, repetitions kept; over
// a product, the combinations of its operands' rows that pass, without building the product.
#include "condition/condition.h"
#include "query/database.h"
#include "query/join/joinplan.h"

namespace relalg {

table database::select(const querynode& n) {
  // Selections over selections over a product are one selection by all their conditions:
  // each names the product's columns, and each keeps the order of the rows it is given.
  const int32_t bottom = beneath[static_cast<size_t>(n.first)];
  if (strategy == joins::planned &&
      tree->nodes[static_cast<size_t>(bottom)].op == operatorkind::product) {
    std::vector<int32_t> roots;
    for (const querynode* at = &n; at->op == operatorkind::select;
         at = &tree->nodes[static_cast<size_t>(at->first)]) {
      roots.push_back(at->condition);
    }
    return join(bottom, roots);
  }
  const table r = evaluate(n.first);
  table t;
  t.name = r.name;
  t.addclones(r);
  const int32_t rows = t.rowcount();
  if (rows == 0) return t;  // the condition is never evaluated
  // The condition is bound to the columns once, then asked row by row; the kept rows are
  // compacted in one pass instead of removing failing rows one at a time.
  const condition z(*tree, n.condition, columnlist::of(t));
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < rows; ++row) {
    if (z.evaluatecondition(&row)) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != rows) t.keeprows(kept);
  return t;
}

table database::join(int32_t over, const std::vector<int32_t>& roots) {
  // The product's operands, products among them flattened, left to right.
  std::vector<table> parts;
  std::vector<int32_t> pending{over};
  while (!pending.empty()) {
    const int32_t node = pending.back();
    pending.pop_back();
    const querynode& at = tree->nodes[static_cast<size_t>(node)];
    if (at.op == operatorkind::product) {
      pending.push_back(at.second);
      pending.push_back(at.first);
    } else {
      parts.push_back(evaluate(node));
    }
  }
  const joinplan plan(*tree, roots, parts);
  const std::vector<std::vector<int32_t>> rows = plan.matches();
  // Named and made as the product would be: its first operand's name, every operand's columns.
  table t;
  t.name = parts.front().name;
  for (size_t slot = 0; slot < parts.size(); ++slot) {
    for (const auto& c : parts[slot].columns) {
      auto kept = c->clone();
      kept->keeprows(rows[slot]);
      t.addcolumn(std::move(kept));
    }
  }
  return t;
}

}  // namespace relalg
