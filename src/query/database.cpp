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
  table result = evaluate(t.root());
  tree = nullptr;
  return result;
}

table database::evaluate(int32_t node) {
  table t = apply(node);
  if (watcher) watcher->seen(node, t, t.rowcount());
  return t;
}

table database::apply(int32_t node) {
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
