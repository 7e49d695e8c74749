// The condition language: AND, OR and NOT over the six comparisons, keywords in upper case.
#include "condition/condition.h"

#include <algorithm>
#include <utility>

#include "condition/comparison.h"
#include "model/textint.h"

namespace relalg {

condition::condition(std::string_view text, const table& t, const nesting& parens) {
  columnnames named;
  for (int32_t k = 0; k < t.columncount(); ++k) named[t.columns[static_cast<size_t>(k)]->name] = k;
  parse(text, t, named, parens);
}

int32_t condition::parse(std::string_view text, const table& t, const columnnames& named,
                         const nesting& parens) {
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
    const int32_t first = parse(split.first, t, named, parens);
    const int32_t second = parse(split.rest, t, named, parens);
    nodes[static_cast<size_t>(index)].first = first;
    nodes[static_cast<size_t>(index)].second = second;
  } else if (found == kind::notkind) {
    const int32_t first = parse(argument, t, named, parens);
    nodes[static_cast<size_t>(index)].first = first;
  } else {
    const operands split = splitcomparison(argument, parens);
    resolve(nodes[static_cast<size_t>(index)], split.first, split.rest, t, named);
  }
  nodes[static_cast<size_t>(index)].k = found;
  return index;
}

void condition::resolve(node& comparison, std::string_view left, std::string_view right,
                        const table& t, const columnnames& named) {
  comparison.left.text = stripquotes(left);
  comparison.right.text = stripquotes(right);
  comparison.left.number = texttoint(comparison.left.text);
  comparison.right.number = texttoint(comparison.right.text);
  // As if every column were visited in order, a later match overriding an earlier one, for
  // the values and for the choice between integer and text comparison alike: the last
  // column of each name supplies the value, and of the two the later one decides. Names are
  // matched before quotes are stripped. When neither names a column the constants compare
  // as text.
  const auto lastnamed = [&](std::string_view name) {
    const auto found = named.find(name);
    return found == named.end() ? -1 : found->second;
  };
  const int32_t l = lastnamed(left);
  const int32_t r = lastnamed(right);
  for (const auto& [at, o] : {std::pair{l, &comparison.left}, std::pair{r, &comparison.right}}) {
    if (at < 0) continue;
    o->named = t.columns[static_cast<size_t>(at)].get();
    o->numbers = dynamic_cast<const intcolumn*>(o->named);
  }
  const int32_t decides = std::max(l, r);
  if (decides >= 0) comparison.isint = t.columns[static_cast<size_t>(decides)]->width() == 0;
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

int32_t condition::integer(const operand& o, int32_t row) {
  if (o.numbers) return o.numbers->at(row);
  if (!o.named) return o.number;
  intbuffer buffer;
  return texttoint(text(o, row, buffer));
}

std::string_view condition::text(const operand& o, int32_t row, intbuffer& buffer) {
  // Column values are stripped of quotes like constants.
  return o.named ? stripquotes(o.named->valueview(row, buffer)) : o.text;
}

bool condition::compare(const node& n, int32_t row) const {
  intbuffer leftbuffer;
  intbuffer rightbuffer;
  // Integer readings of a column of integers are its values: no text is made for them.
  const int order = n.isint ? comparenumbers(integer(n.left, row), integer(n.right, row))
                            : comparevalues(text(n.left, row, leftbuffer),
                                            text(n.right, row, rightbuffer), false);
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
