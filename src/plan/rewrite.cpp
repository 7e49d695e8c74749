// Selections moved below renamings and projections, products flattened into joins, and the
// conjuncts of a join sorted by the operands they read.
#include "plan/rewrite.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "tree/walk.h"

namespace relalg {

namespace {

bool joinable(const step& s) { return s.kind == stepkind::product || s.kind == stepkind::join; }

bool movable(const step& s) { return s.kind == stepkind::rename || s.kind == stepkind::project; }

// Whether a selection moved below the renamings and projections from step at on meets a
// product or a join.
bool reachesjoin(const plan& p, int32_t at) {
  while (movable(p.steps[static_cast<size_t>(at)]))
    at = p.steps[static_cast<size_t>(at)].operands[0];
  return joinable(p.steps[static_cast<size_t>(at)]);
}

// The operands of a product, products among them flattened, left to right; the products are
// marked removed. A stack, not a recursion: products may nest as deep as the nesting limit.
std::vector<int32_t> flatten(const plan& p, std::vector<bool>& removed, int32_t at) {
  std::vector<int32_t> leaves;
  std::vector<int32_t> pending{at};
  while (!pending.empty()) {
    const int32_t next = pending.back();
    pending.pop_back();
    const step& s = p.steps[static_cast<size_t>(next)];
    if (s.kind != stepkind::product) {
      leaves.push_back(next);
      continue;
    }
    removed[static_cast<size_t>(next)] = true;
    pending.insert(pending.end(), s.operands.rbegin(), s.operands.rend());
  }
  return leaves;
}

// Sorts a join's conjuncts by the operands they read (see joinparts).
void sortconjuncts(const querytree& tree, const plan& p, const std::vector<int32_t>& conjuncts,
                   step& join) {
  // The operand of each of the join's columns.
  std::vector<int32_t> operandof;
  for (size_t k = 0; k < join.operands.size(); ++k) {
    const step& operand = p.steps[static_cast<size_t>(join.operands[k])];
    operandof.insert(operandof.end(), operand.output.columns.size(), static_cast<int32_t>(k));
  }
  joinparts parts;
  parts.conjuncts = conjuncts;
  parts.filters.resize(join.operands.size());
  parts.checks.resize(join.operands.size());
  for (const int32_t conjunct : conjuncts) {
    int32_t lowest = INT32_MAX;
    int32_t highest = -1;
    const auto reads = [&](int32_t column) {
      if (column < 0) return;
      lowest = std::min(lowest, operandof[static_cast<size_t>(column)]);
      highest = std::max(highest, operandof[static_cast<size_t>(column)]);
    };
    for (const int32_t at : entered(tree.conditions, conjunct, [](int32_t) { return true; })) {
      if (!iscomparison(tree.conditions[static_cast<size_t>(at)].k)) continue;
      reads(p.bindings[static_cast<size_t>(at)].left);
      reads(p.bindings[static_cast<size_t>(at)].right);
    }
    const conditionnode& c = tree.conditions[static_cast<size_t>(conjunct)];
    const binding& b = p.bindings[static_cast<size_t>(conjunct)];
    if (highest < 0) {
      parts.constants.push_back(conjunct);
    } else if (lowest == highest) {
      parts.filters[static_cast<size_t>(lowest)].push_back(conjunct);
    } else if (c.k == conditionkind::eq && b.left >= 0 && b.right >= 0) {
      // Two columns of different operands: the later operand's is the key.
      const bool leftlater = b.left > b.right;
      parts.keys.push_back({leftlater ? b.right : b.left, leftlater ? b.left : b.right, b.isint});
    } else {
      parts.checks[static_cast<size_t>(highest)].push_back(conjunct);
    }
  }
  join.join = std::move(parts);
}

}  // namespace

int32_t planjoin(const querytree& tree, plan& p, std::vector<bool>& removed, int32_t at) {
  const step select = p.steps[static_cast<size_t>(at)];
  const int32_t below = select.operands.front();
  assert(below == at - 1);  // operands are made just before the steps that read them
  step& x = p.steps[static_cast<size_t>(below)];
  if (x.kind == stepkind::product) {
    step join;
    join.kind = stepkind::join;
    join.node = select.node;
    join.output = x.output;
    join.operands = flatten(p, removed, below);
    sortconjuncts(tree, p, conjunctsof(tree, select.condition), join);
    p.steps[static_cast<size_t>(at)] = std::move(join);
    return at;
  }
  if (x.kind == stepkind::join) {
    // Selections over a join are one join of all their conditions: each names the join's
    // columns, and each keeps the order of the rows it is given.
    std::vector<int32_t> conjuncts = x.join.conjuncts;
    const std::vector<int32_t> more = conjunctsof(tree, select.condition);
    conjuncts.insert(conjuncts.end(), more.begin(), more.end());
    x.node = select.node;
    sortconjuncts(tree, p, conjuncts, x);
    p.steps.pop_back();
    removed.pop_back();
    return below;
  }
  if (!reachesjoin(p, below)) return at;
  // The selection goes below the renamings and projections: its columns, bound to theirs, are
  // the same positions of a renaming's operand, or a projection's picks. Each step's operand
  // is made just before it, so they are the last steps, the topmost last.
  p.steps.pop_back();
  removed.pop_back();
  std::vector<step> over;  // from the top down
  while (movable(p.steps.back())) {
    over.push_back(std::move(p.steps.back()));
    p.steps.pop_back();
    removed.pop_back();
    if (over.back().kind != stepkind::project) continue;
    for (const int32_t node :
         entered(tree.conditions, select.condition, [](int32_t) { return true; })) {
      binding& b = p.bindings[static_cast<size_t>(node)];
      if (b.left >= 0) b.left = over.back().columns[static_cast<size_t>(b.left)];
      if (b.right >= 0) b.right = over.back().columns[static_cast<size_t>(b.right)];
    }
  }
  step moved = select;
  moved.node = -1;
  moved.operands = {static_cast<int32_t>(p.steps.size()) - 1};
  moved.output = p.steps.back().output;
  p.steps.push_back(std::move(moved));
  removed.push_back(false);
  int32_t top = planjoin(tree, p, removed, static_cast<int32_t>(p.steps.size()) - 1);
  for (size_t i = over.size(); i-- > 0;) {
    step& again = over[i];
    again.node = i == 0 ? select.node : -1;  // the topmost gives the selection's value
    again.operands = {top};
    p.steps.push_back(std::move(again));
    removed.push_back(false);
    top = static_cast<int32_t>(p.steps.size()) - 1;
  }
  return top;
}

plan dropremoved(plan p, const std::vector<bool>& removed) {
  if (std::find(removed.begin(), removed.end(), true) == removed.end()) return p;
  std::vector<int32_t> renumbered(p.steps.size(), -1);
  std::vector<step> kept;
  kept.reserve(p.steps.size());
  for (size_t i = 0; i < p.steps.size(); ++i) {
    if (removed[i]) continue;
    renumbered[i] = static_cast<int32_t>(kept.size());
    kept.push_back(std::move(p.steps[i]));
  }
  for (step& s : kept) {
    for (int32_t& operand : s.operands) operand = renumbered[static_cast<size_t>(operand)];
  }
  p.steps = std::move(kept);
  return p;
}

}  // namespace relalg
