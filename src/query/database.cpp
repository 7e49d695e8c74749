// The evaluator: dispatch on the operator of each node, and table names.
#include "query/database.h"

#include <utility>

namespace relalg {

database::database(std::vector<table> input, joins how, observer* seer)
    : tables(std::move(input)), strategy(how), watcher(seer) {
  // A later table of the same name replaces an earlier one, as a scan to the end would find.
  for (size_t i = 0; i < tables.size(); ++i) named[tables[i].name] = i;
}

table database::query(const querytree& t) {
  if (t.toodeep()) return table();
  tree = &t;
  // An operand's node always follows its parent's, so one backward pass finds every chain's end.
  beneath.resize(t.nodes.size());
  leaves.resize(t.nodes.size());
  for (size_t i = t.nodes.size(); i-- > 0;) {
    const querynode& n = t.nodes[i];
    const bool chained = n.op == operatorkind::select && !watcher;
    beneath[i] = chained ? beneath[static_cast<size_t>(n.first)] : static_cast<int32_t>(i);
    leaves[i] = n.op == operatorkind::product
                    ? leaves[static_cast<size_t>(n.first)] + leaves[static_cast<size_t>(n.second)]
                    : 1;
  }
  markneeded();
  // Operands stand after their operator, so evaluating from the last node to the first meets
  // every operand before its operator: no recursion, whatever the nesting.
  values.assign(t.nodes.size(), table());
  for (size_t i = t.nodes.size(); i-- > 0;) {
    if (!needed[i]) continue;
    values[i] = evaluate(static_cast<int32_t>(i));
    if (watcher) watcher->seen(static_cast<int32_t>(i), values[i], values[i].rowcount());
  }
  table result = take(t.root());
  values.clear();
  tree = nullptr;
  return result;
}

void database::markneeded() {
  const std::vector<querynode>& nodes = tree->nodes;
  needed.assign(nodes.size(), false);
  needed[static_cast<size_t>(tree->root())] = true;
  // An operator comes before its operands, so one forward pass reaches them all.
  for (size_t i = 0; i < nodes.size(); ++i) {
    const querynode& n = nodes[i];
    if (!needed[i] || n.op == operatorkind::table) continue;
    if (const int32_t bottom = joined(n); bottom != querynode::none) {
      // A planned join evaluates the operands of its product, never the product itself.
      std::vector<int32_t> pending{bottom};
      while (!pending.empty()) {
        const querynode& at = nodes[static_cast<size_t>(pending.back())];
        if (at.op == operatorkind::product) {
          pending.back() = at.first;
          pending.push_back(at.second);
        } else {
          needed[static_cast<size_t>(pending.back())] = true;
          pending.pop_back();
        }
      }
      continue;
    }
    needed[static_cast<size_t>(n.first)] = true;
    if (n.second != querynode::none) needed[static_cast<size_t>(n.second)] = true;
  }
}

int32_t database::joined(const querynode& n) const {
  if (n.op != operatorkind::select || strategy != joins::planned) return querynode::none;
  const int32_t bottom = beneath[static_cast<size_t>(n.first)];
  return tree->nodes[static_cast<size_t>(bottom)].op == operatorkind::product ? bottom
                                                                              : querynode::none;
}

table database::take(int32_t node) { return std::move(values[static_cast<size_t>(node)]); }

table database::evaluate(int32_t node) {
  const querynode& n = tree->nodes[static_cast<size_t>(node)];
  switch (n.op) {
    case operatorkind::project:
      return project(n);
    case operatorkind::rename:
      return rename(n);
    case operatorkind::select:
      return select(n);
    case operatorkind::product:
      return product(n);
    case operatorkind::unite:
      return unite(n);
    case operatorkind::minus:
      return minus(n);
    case operatorkind::table:
      break;
  }
  const auto found = named.find(n.name);
  return found == named.end() ? table() : tables[found->second];
}

}  // namespace relalg
