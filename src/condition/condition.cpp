// The condition language: AND, OR and NOT over the six comparisons, bound to columns once and
// asked row by row.
#include "condition/condition.h"

#include <algorithm>
#include <utility>

#include "condition/comparison.h"
#include "model/textint.h"

namespace relalg {

columnlist::columnlist(std::vector<boundcolumn> all) : columns(std::move(all)) {
  // A later column of a name replaces an earlier one, as a scan to the end would find.
  for (size_t k = 0; k < columns.size(); ++k) named[columns[k].c->name] = static_cast<int32_t>(k);
}

columnlist columnlist::of(const table& t) {
  std::vector<boundcolumn> all;
  all.reserve(t.columns.size());
  for (const auto& c : t.columns) all.push_back({0, c.get()});
  return columnlist(std::move(all));
}

int32_t columnlist::find(std::string_view name) const {
  const auto found = named.find(name);
  return found == named.end() ? -1 : found->second;
}

comparisonplan plancomparison(const conditionnode& n, const columnlist& columns) {
  comparisonplan plan;
  plan.left = columns.find(n.left);
  plan.right = columns.find(n.right);
  // Of two named columns the later-standing one decides, as a later match overrides an
  // earlier one when every column is visited in order.
  if (plan.decider() >= 0) {
    plan.isint = columns.columns[static_cast<size_t>(plan.decider())].c->width() == 0;
  }
  return plan;
}

std::vector<int32_t> conjunctsof(const querytree& tree, int32_t root) {
  std::vector<int32_t> found;
  std::vector<int32_t> pending{root};
  // A stack, not a recursion: AND may nest as deep as the nesting limit.
  while (!pending.empty()) {
    const int32_t at = pending.back();
    pending.pop_back();
    const conditionnode& n = tree.conditions[static_cast<size_t>(at)];
    if (n.k == conditionkind::andkind) {
      pending.push_back(n.second);
      pending.push_back(n.first);
    } else {
      found.push_back(at);
    }
  }
  return found;
}

condition::condition(const querytree& tree, int32_t root, const columnlist& columns) {
  bind(tree, root, columns);
}

int32_t condition::bind(const querytree& tree, int32_t at, const columnlist& columns) {
  const auto index = static_cast<int32_t>(nodes.size());
  nodes.emplace_back();
  const conditionnode& n = tree.conditions[static_cast<size_t>(at)];
  node bound;
  bound.k = n.k;
  switch (n.k) {
    case conditionkind::unrecognised:
      break;
    case conditionkind::andkind:
    case conditionkind::orkind:
      bound.first = bind(tree, n.first, columns);
      bound.second = bind(tree, n.second, columns);
      break;
    case conditionkind::notkind:
      bound.first = bind(tree, n.first, columns);
      break;
    default: {
      const comparisonplan plan = plancomparison(n, columns);
      bound.left = bindoperand(n.left, plan.left, columns);
      bound.right = bindoperand(n.right, plan.right, columns);
      bound.isint = plan.isint;
    }
  }
  nodes[static_cast<size_t>(index)] = bound;
  return index;
}

condition::operand condition::bindoperand(std::string_view text, int32_t position,
                                          const columnlist& columns) {
  operand o;
  o.text = stripquotes(text);
  o.number = texttoint(o.text);
  if (position < 0) return o;
  const boundcolumn& named = columns.columns[static_cast<size_t>(position)];
  o.named = named.c;
  o.numbers = dynamic_cast<const intcolumn*>(named.c);
  o.slot = named.slot;
  lowest = std::min(lowest, named.slot);
  highest = std::max(highest, named.slot);
  return o;
}

bool condition::isequality(equality& found) const {
  const node& n = nodes.front();
  if (n.k != conditionkind::eq || !n.left.named || !n.right.named || n.left.slot == n.right.slot) {
    return false;
  }
  found = {{n.left.slot, n.left.named}, {n.right.slot, n.right.named}, n.isint};
  return true;
}

bool condition::answer(int32_t index, const int32_t* rows) const {
  const node& n = nodes[static_cast<size_t>(index)];
  switch (n.k) {
    case conditionkind::unrecognised:
      return false;
    case conditionkind::andkind: {
      // Both operands are always evaluated.
      const bool first = answer(n.first, rows);
      const bool second = answer(n.second, rows);
      return first && second;
    }
    case conditionkind::orkind: {
      const bool first = answer(n.first, rows);
      const bool second = answer(n.second, rows);
      return first || second;
    }
    case conditionkind::notkind:
      return !answer(n.first, rows);
    default:
      return compare(n, rows);
  }
}

int32_t condition::integer(const operand& o, const int32_t* rows) {
  if (o.numbers) return o.numbers->at(rows[o.slot]);
  if (!o.named) return o.number;
  intbuffer buffer;
  return texttoint(text(o, rows, buffer));
}

std::string_view condition::text(const operand& o, const int32_t* rows, intbuffer& buffer) {
  // Column values are stripped of quotes like constants.
  return o.named ? stripquotes(o.named->valueview(rows[o.slot], buffer)) : o.text;
}

bool condition::compare(const node& n, const int32_t* rows) const {
  intbuffer leftbuffer;
  intbuffer rightbuffer;
  // Integer readings of a column of integers are its values: no text is made for them.
  const int order = n.isint ? comparenumbers(integer(n.left, rows), integer(n.right, rows))
                            : comparevalues(text(n.left, rows, leftbuffer),
                                            text(n.right, rows, rightbuffer), false);
  switch (n.k) {
    case conditionkind::eq:
      return compareeq(order);
    case conditionkind::neq:
      return compareneq(order);
    case conditionkind::lt:
      return comparelt(order);
    case conditionkind::lte:
      return comparelte(order);
    case conditionkind::gt:
      return comparegt(order);
    default:
      return comparegte(order);
  }
}

}  // namespace relalg
