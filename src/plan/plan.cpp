// Building the plan: a step per node of the query tree, operands first, then the rewrites.
#include "plan/plan.h"

#include <string_view>
#include <unordered_map>
#include <utility>

#include "plan/rewrite.h"
#include "tree/walk.h"

namespace relalg {

namespace {

// Makes the steps of a tree's nodes as a walk leaves them: operands before operators.
class builder : public walkevents {
 public:
  builder(const querytree& t, const std::vector<table>& tables, rewrites r)
      : tree(t), inputs(tables), rules(r) {
    made.bindings.resize(tree.conditions.size());
    // A step is large: made in place, never moved as the list grows (a rewrite adds a few).
    made.steps.reserve(tree.nodes.size() + 2);
    // A later table of the same name replaces an earlier one, as a scan to the end would find.
    for (size_t i = 0; i < inputs.size(); ++i) named[inputs[i].name] = static_cast<int32_t>(i);
  }

  void leave(int32_t node) {
    const querynode& n = tree.nodes[static_cast<size_t>(node)];
    step s;
    s.node = node;
    if (n.op == operatorkind::table) {
      const auto found = named.find(n.name);
      if (found != named.end()) {
        s.kind = stepkind::table;
        s.table = found->second;
        s.output = schema::of(inputs[static_cast<size_t>(s.table)]);
      }
      add(std::move(s));
      return;
    }
    // The operands' steps are the last made: the second's after the first's.
    if (n.second >= 0) {
      s.operands.push_back(pending[pending.size() - 2]);
      s.operands.push_back(pending.back());
      pending.resize(pending.size() - 2);
    } else {
      s.operands.push_back(pending.back());
      pending.pop_back();
    }
    const int32_t first = s.operands.front();
    const int32_t second = n.second >= 0 ? s.operands.back() : -1;
    const schema& r = made.steps[static_cast<size_t>(first)].output;
    switch (n.op) {
      case operatorkind::project: {
        s.kind = stepkind::project;
        const columnnames names(r);
        for (const std::string_view name : projectnames(n.rest)) {
          // A name no column bears, the empty one included, adds no column.
          const int32_t k = names.first(name);
          if (k < 0) continue;
          s.columns.push_back(k);
          s.output.columns.push_back(r.columns[static_cast<size_t>(k)]);
        }
        break;
      }
      case operatorkind::rename: {
        s.kind = stepkind::rename;
        s.output = r;
        const renaming names = readrenaming(n.rest, r.columns.size());
        s.output.name = names.name;
        // When the text ends first, the later columns keep their names.
        for (size_t k = 0; k < names.columns.size(); ++k) {
          s.output.columns[k].name = names.columns[k];
        }
        break;
      }
      case operatorkind::select:
        s.kind = stepkind::select;
        s.output = r;
        s.condition = n.condition;
        bindcondition(tree, n.condition, r, made.bindings);
        break;
      case operatorkind::product: {
        s.kind = stepkind::product;
        s.output = r;
        const schema& u = made.steps[static_cast<size_t>(second)].output;
        s.output.columns.insert(s.output.columns.end(), u.columns.begin(), u.columns.end());
        break;
      }
      case operatorkind::unite:
      case operatorkind::minus:
        s.kind = n.op == operatorkind::unite ? stepkind::unite : stepkind::minus;
        s.output = r;
        break;
      case operatorkind::table:
        break;
    }
    add(std::move(s));
    if (rules != rewrites::none && n.op == operatorkind::select) {
      pending.back() = planjoin(tree, made, removed, pending.back());
    }
  }

  plan made;
  // Steps that a rewrite replaced.
  std::vector<bool> removed;

 private:
  // The steps of the operands not yet read by their operator, in the order made.
  std::vector<int32_t> pending;

  const querytree& tree;
  const std::vector<table>& inputs;
  const rewrites rules;
  std::unordered_map<std::string_view, int32_t> named;

  void add(step s) {
    made.steps.push_back(std::move(s));
    removed.push_back(false);
    pending.push_back(static_cast<int32_t>(made.steps.size()) - 1);
  }
};

}  // namespace

plan buildplan(const querytree& tree, const std::vector<table>& inputs, rewrites rules,
               int32_t root) {
  if (tree.toodeep()) {
    // Not evaluated: its value is the empty table.
    plan none;
    none.steps.emplace_back();
    return none;
  }
  builder b(tree, inputs, rules);
  walk(tree.nodes, root, b);
  if (rules == rewrites::all) planmatchonce(b.made, b.removed);
  return dropremoved(std::move(b.made), b.removed);
}

}  // namespace relalg
