// Running a plan: the steps needed, each from its operands' values, operands first.
#include "operators/evaluator.h"

#include <utility>

#include "operators/operators.h"

namespace relalg {

table evaluator::evaluate(const querytree& tree, const plan& p, observer* watcher,
                          const givenvalue& given) const {
  const std::vector<step>& steps = p.steps;
  // A step's operands stand before it, so one backward pass finds every step needed.
  std::vector<bool> needed(steps.size(), false);
  std::vector<const table*> known(steps.size(), nullptr);
  needed.back() = true;
  for (size_t i = steps.size(); i-- > 0;) {
    if (!needed[i]) continue;
    if (given && steps[i].node >= 0) known[i] = given(steps[i].node);
    if (known[i]) continue;
    for (const int32_t operand : steps[i].operands) needed[static_cast<size_t>(operand)] = true;
  }
  // The values of the steps evaluated and not yet taken by the step that reads them.
  std::vector<table> values(steps.size());
  const auto take = [&](int32_t operand) {
    return std::move(values[static_cast<size_t>(operand)]);
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    if (!needed[i]) continue;
    const step& s = steps[i];
    if (known[i]) {
      values[i] = *known[i];
      continue;
    }
    switch (s.kind) {
      case stepkind::table:
        values[i] = tables[static_cast<size_t>(s.table)];
        break;
      case stepkind::empty:
        values[i] = table();
        break;
      case stepkind::project:
        values[i] = project(s, take(s.operands[0]));
        break;
      case stepkind::rename:
        values[i] = rename(s, take(s.operands[0]));
        break;
      case stepkind::select:
        values[i] = select(tree, p, s, take(s.operands[0]));
        break;
      case stepkind::product:
        values[i] = product({take(s.operands[0]), take(s.operands[1])});
        break;
      case stepkind::unite:
        values[i] = unite(take(s.operands[0]), take(s.operands[1]));
        break;
      case stepkind::minus:
        if (s.ofproduct) {
          std::vector<table> parts;
          parts.push_back(take(s.operands[0]));
          parts.push_back(take(s.operands[1]));
          values[i] = minusofproduct(parts, take(s.operands[2]));
        } else {
          values[i] = minus(take(s.operands[0]), take(s.operands[1]));
        }
        break;
      case stepkind::join: {
        std::vector<table> parts;
        for (const int32_t operand : s.operands) parts.push_back(take(operand));
        values[i] = join(tree, p, s, parts);
        break;
      }
    }
    if (watcher && s.node >= 0) watcher->seen(s.node, values[i]);
  }
  return std::move(values.back());
}

std::vector<evaluator::traced> evaluator::trace(const querytree& tree, const plan& p) const {
  std::vector<traced> steps(p.steps.size());
  const auto of = [&](int32_t operand) -> const table& {
    return steps[static_cast<size_t>(operand)].value;
  };
  for (size_t i = 0; i < p.steps.size(); ++i) {
    const step& s = p.steps[i];
    traced& t = steps[i];
    switch (s.kind) {
      case stepkind::table:
        t.value = tables[static_cast<size_t>(s.table)];
        break;
      case stepkind::empty:
        break;
      case stepkind::project:
        t.value = project(s, of(s.operands[0]), &t.made);
        break;
      case stepkind::rename:
        t.value = rename(s, of(s.operands[0]), &t.made);
        break;
      case stepkind::select:
        t.value = select(tree, p, s, of(s.operands[0]), &t.made);
        break;
      case stepkind::product:
        t.value = product({of(s.operands[0]), of(s.operands[1])}, &t.made);
        break;
      case stepkind::unite:
        t.value = unite(of(s.operands[0]), of(s.operands[1]), &t.made);
        break;
      case stepkind::minus:
        t.value = minus(of(s.operands[0]), of(s.operands[1]), &t.made);
        break;
      case stepkind::join: {
        std::vector<table> parts;
        for (const int32_t operand : s.operands) parts.push_back(of(operand));
        t.value = join(tree, p, s, parts, &t.made);
        break;
      }
    }
  }
  return steps;
}

}  // namespace relalg
