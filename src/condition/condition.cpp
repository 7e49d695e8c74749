// The condition language: AND, OR and NOT over the six comparisons, bound to columns once and
// asked row by row.
#include "condition/condition.h"

#include <algorithm>
#include <cassert>
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

void condition::bind(const querytree& tree, int32_t root, const columnlist& columns) {
  const auto& nodes = tree.conditions;
  const auto at = [&](int32_t i) -> const conditionnode& { return nodes[static_cast<size_t>(i)]; };
  // The nodes under the root, each before its operands, as the tree lists them.
  std::vector<int32_t> order;
  for (std::vector<int32_t> pending{root}; !pending.empty();) {
    const int32_t i = pending.back();
    pending.pop_back();
    order.push_back(i);
    if (at(i).first != conditionnode::none) pending.push_back(at(i).first);
    if (at(i).second != conditionnode::none) pending.push_back(at(i).second);
  }
  // How many answers each node keeps waiting, operands before operators: an operator whose
  // operands need alike needs one more, otherwise the larger. A condition's nodes stand
  // together in the tree's list from its root on, so they are counted from the root: sized
  // by the whole list, this would cost every selection of a deep query the whole list again.
  std::vector<int32_t> need(order.size());
  const auto needof = [&](int32_t i) -> int32_t& {
    assert(i >= root && static_cast<size_t>(i - root) < need.size());
    return need[static_cast<size_t>(i - root)];
  };
  for (auto i = order.rbegin(); i != order.rend(); ++i) {
    const conditionnode& n = at(*i);
    const int32_t first = n.first == conditionnode::none ? 0 : needof(n.first);
    const int32_t second = n.second == conditionnode::none ? 0 : needof(n.second);
    needof(*i) = first == second ? first + 1 : std::max(first, second);
  }
  assert(needof(root) <= deepest);
  // Postfix order, the operand that needs more first: a node is written when it is met the
  // second time, after its operands.
  for (std::vector<std::pair<int32_t, bool>> pending{{root, false}}; !pending.empty();) {
    const auto [i, expanded] = pending.back();
    pending.pop_back();
    const conditionnode& n = at(i);
    if (!expanded && n.first != conditionnode::none) {
      pending.push_back({i, true});
      int32_t later = n.second;
      int32_t sooner = n.first;
      if (later != conditionnode::none && needof(later) > needof(sooner)) {
        std::swap(later, sooner);
      }
      if (later != conditionnode::none) pending.push_back({later, false});
      pending.push_back({sooner, false});
      continue;
    }
    step s;
    s.k = n.k;
    if (iscomparison(n.k)) {
      const comparisonplan plan = plancomparison(n, columns);
      s.left = bindoperand(n.left, plan.left, columns);
      s.right = bindoperand(n.right, plan.right, columns);
      s.isint = plan.isint;
    }
    program.push_back(s);
  }
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
  o.texts = dynamic_cast<const charcolumn*>(named.c);
  o.slot = named.slot;
  lowest = std::min(lowest, named.slot);
  highest = std::max(highest, named.slot);
  return o;
}

bool condition::isequality(equality& found) const {
  const step& s = program.back();
  if (program.size() != 1 || s.k != conditionkind::eq || !s.left.named || !s.right.named ||
      s.left.slot == s.right.slot) {
    return false;
  }
  found = {{s.left.slot, s.left.named}, {s.right.slot, s.right.named}, s.isint};
  return true;
}

bool condition::evaluatecondition(const int32_t* rows) const {
  bool waiting[deepest];
  int top = 0;
  // Both operands of AND and OR are always evaluated.
  for (const step& s : program) {
    switch (s.k) {
      case conditionkind::andkind:
        --top;
        waiting[top - 1] = waiting[top - 1] && waiting[top];
        break;
      case conditionkind::orkind:
        --top;
        waiting[top - 1] = waiting[top - 1] || waiting[top];
        break;
      case conditionkind::notkind:
        waiting[top - 1] = !waiting[top - 1];
        break;
      case conditionkind::unrecognised:
        waiting[top++] = false;
        break;
      default:
        waiting[top++] = compare(s, rows);
    }
  }
  return waiting[0];
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

bool condition::compare(const step& n, const int32_t* rows) const {
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

namespace {

// Each keyword's answers from an order (negative, 0, positive) for every row.
template <typename order>
void answers(conditionkind k, std::vector<uint8_t>& out, order&& f) {
  const size_t n = out.size();
  switch (k) {
    case conditionkind::eq:
      for (size_t i = 0; i < n; ++i) out[i] = compareeq(f(i));
      break;
    case conditionkind::neq:
      for (size_t i = 0; i < n; ++i) out[i] = compareneq(f(i));
      break;
    case conditionkind::lt:
      for (size_t i = 0; i < n; ++i) out[i] = comparelt(f(i));
      break;
    case conditionkind::lte:
      for (size_t i = 0; i < n; ++i) out[i] = comparelte(f(i));
      break;
    case conditionkind::gt:
      for (size_t i = 0; i < n; ++i) out[i] = comparegt(f(i));
      break;
    default:
      for (size_t i = 0; i < n; ++i) out[i] = comparegte(f(i));
  }
}

}  // namespace

std::vector<uint8_t> condition::compareall(const step& s, int32_t first, int32_t last) const {
  std::vector<uint8_t> out(static_cast<size_t>(last - first));
  const auto from = static_cast<size_t>(first);
  if (s.isint) {
    // Each side's integers: a column of integers as held, any other column read from its
    // texts once, a constant as it is.
    std::vector<int32_t> readleft;
    std::vector<int32_t> readright;
    const auto numbersof = [&](const operand& o, std::vector<int32_t>& read) -> const int32_t* {
      if (o.numbers) return o.numbers->values.get().data() + from;
      if (!o.named) return nullptr;
      read.reserve(out.size());
      for (int32_t row = first; row < last; ++row) read.push_back(integer(o, &row));
      return read.data();
    };
    const int32_t* left = numbersof(s.left, readleft);
    const int32_t* right = numbersof(s.right, readright);
    const int32_t l = s.left.number;
    const int32_t r = s.right.number;
    answers(s.k, out,
            [&](size_t i) { return comparenumbers(left ? left[i] : l, right ? right[i] : r); });
    return out;
  }
  // Each side's texts: a column of texts as held, a constant as it is. Values are stripped of
  // quotes like constants; equality needs no order, and texts of other lengths are unequal.
  const auto textsof = [&](const operand& o) -> const textref* {
    return o.texts ? o.texts->values.get().data() + from : nullptr;
  };
  const textref* left = textsof(s.left);
  const textref* right = textsof(s.right);
  if ((left || !s.left.named) && (right || !s.right.named)) {
    const auto at = [](const textref* texts, const operand& o, size_t i) {
      return texts ? stripquotes(texts[i].view()) : o.text;
    };
    if (s.k == conditionkind::eq || s.k == conditionkind::neq) {
      answers(s.k, out,
              [&](size_t i) { return at(left, s.left, i) == at(right, s.right, i) ? 0 : 1; });
    } else {
      answers(s.k, out, [&](size_t i) {
        return comparevalues(at(left, s.left, i), at(right, s.right, i), false);
      });
    }
    return out;
  }
  answers(s.k, out, [&](size_t i) {
    const auto row = static_cast<int32_t>(from + i);
    intbuffer leftbuffer;
    intbuffer rightbuffer;
    return comparevalues(text(s.left, &row, leftbuffer), text(s.right, &row, rightbuffer), false);
  });
  return out;
}

std::vector<uint8_t> condition::evaluateall(int32_t first, int32_t last) const {
  std::vector<std::vector<uint8_t>> waiting;
  for (const step& s : program) {
    switch (s.k) {
      case conditionkind::andkind:
      case conditionkind::orkind: {
        const std::vector<uint8_t> second = std::move(waiting.back());
        waiting.pop_back();
        std::vector<uint8_t>& first = waiting.back();
        const bool both = s.k == conditionkind::andkind;
        for (size_t i = 0; i < first.size(); ++i) {
          first[i] = both ? (first[i] & second[i]) : (first[i] | second[i]);
        }
        break;
      }
      case conditionkind::notkind:
        for (uint8_t& answer : waiting.back()) answer ^= 1;
        break;
      case conditionkind::unrecognised:
        waiting.emplace_back(static_cast<size_t>(last - first), 0);
        break;
      default:
        waiting.push_back(compareall(s, first, last));
    }
  }
  return std::move(waiting.front());
}

}  // namespace relalg
