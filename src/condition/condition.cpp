// The condition language: AND, OR and NOT over the six comparisons, keywords in upper case.
#include "condition/condition.h"

#include <utility>

#include "condition/comparison.h"

namespace relalg {

condition::condition(std::string_view text, const table& t, const nesting& parens) {
  parse(text, t, parens);
}

int32_t condition::parse(std::string_view text, const table& t, const nesting& parens) {
  const auto index = static_cast<int32_t>(nodes.size());
  nodes.emplace_back();
  // The leading word ends at the first "(" or ","; a keyword counts only before a "(".
  const size_t stop = findeither(text, '(', ',');
  if (stop == std::string_view::npos || text[stop] != '(') return index;
  static const std::pair<std::string_view, kind> keywords[] = {
      {"AND", kind::andkind}, {"OR", kind::orkind}, {"NOT", kind::notkind},
      {"EQ", kind::eq},       {"NEQ", kind::neq},   {"LT", kind::lt},
      {"LTE", kind::lte},     {"GT", kind::gt},     {"GTE", kind::gte},
  };
  const std::string_view word = text.substr(0, stop);
  kind found = kind::unrecognised;
  for (const auto& [name, k] : keywords) {
    if (word == name) found = k;
  }
  if (found == kind::unrecognised) return index;  // answers no
  const std::string_view argument = argumenttext(text, parens);
  if (found == kind::andkind || found == kind::orkind) {
    const operands split = splitoperand(argument, parens);
    const int32_t first = parse(split.first, t, parens);
    const int32_t second = parse(split.rest, t, parens);
    nodes[static_cast<size_t>(index)].first = first;
    nodes[static_cast<size_t>(index)].second = second;
  } else if (found == kind::notkind) {
    const int32_t first = parse(argument, t, parens);
    nodes[static_cast<size_t>(index)].first = first;
  } else {
    const operands split = splitcomparison(argument, parens);
    resolve(nodes[static_cast<size_t>(index)], split.first, split.rest, t);
  }
  nodes[static_cast<size_t>(index)].k = found;
  return index;
}

void condition::resolve(node& comparison, std::string_view left, std::string_view right,
                        const table& t) {
  comparison.left.text = stripquotes(left);
  comparison.right.text = stripquotes(right);
  // Every column is visited in order and a later match overrides an earlier one, for the
  // values and for the choice between integer and text comparison alike. Names are matched
  // before quotes are stripped. When neither names a column the constants compare as text.
  for (const auto& c : t.columns) {
    if (c->name == left) {
      comparison.left.named = c.get();
      comparison.isint = c->width() == 0;
    }
    if (c->name == right) {
      comparison.right.named = c.get();
      comparison.isint = c->width() == 0;
    }
  }
}

bool condition::answer(int32_t index, int32_t row) const {
  const node& n = nodes[static_cast<size_t>(index)];
  switch (n.k) {
    case kind::andkind:
      return andcondition(n, row);
    case kind::orkind:
      return orcondition(n, row);
    case kind::notkind:
      return notcondition(n, row);
    case kind::unrecognised:
      return false;
    default:
      return compare(n, row);
  }
}

bool condition::andcondition(const node& n, int32_t row) const {
  // Both operands are always evaluated.
  const bool first = answer(n.first, row);
  const bool second = answer(n.second, row);
  return first && second;
}

bool condition::orcondition(const node& n, int32_t row) const {
  const bool first = answer(n.first, row);
  const bool second = answer(n.second, row);
  return first || second;
}

bool condition::notcondition(const node& n, int32_t row) const { return !answer(n.first, row); }

bool condition::compare(const node& n, int32_t row) const {
  intbuffer leftbuffer;
  intbuffer rightbuffer;
  // Column values are stripped of quotes like constants.
  const std::string_view s1 =
      n.left.named ? stripquotes(n.left.named->valueview(row, leftbuffer)) : n.left.text;
  const std::string_view s2 =
      n.right.named ? stripquotes(n.right.named->valueview(row, rightbuffer)) : n.right.text;
  const int order = comparevalues(s1, s2, n.isint);
  switch (n.k) {
    case kind::eq:
      return compareeq(order);
    case kind::neq:
      return compareneq(order);
    case kind::lt:
      return comparelt(order);
    case kind::lte:
      return comparelte(order);
    case kind::gt:
      return comparegt(order);
    default:
      return comparegte(order);
  }
}

}  // namespace relalg
