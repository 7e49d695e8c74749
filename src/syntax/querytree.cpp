// Parsing the normalised query text into its tree: the keyword scan, the argument texts and
// the operand splits, as evaluation reads them.
#include "syntax/querytree.h"

#include <utility>

namespace relalg {

namespace {

constexpr std::pair<std::string_view, operatorkind> operators[] = {
    {"union", operatorkind::unite},     {"minus", operatorkind::minus},
    {"product", operatorkind::product}, {"project", operatorkind::project},
    {"rename", operatorkind::rename},   {"select", operatorkind::select},
};

constexpr std::pair<std::string_view, conditionkind> connectives[] = {
    {"AND", conditionkind::andkind}, {"OR", conditionkind::orkind}, {"NOT", conditionkind::notkind},
    {"EQ", conditionkind::eq},       {"NEQ", conditionkind::neq},   {"LT", conditionkind::lt},
    {"LTE", conditionkind::lte},     {"GT", conditionkind::gt},     {"GTE", conditionkind::gte},
};

// The keyword a text opens with: the word before its first "(" or ",", when a "(" ended it
// and the word is in the list; `none` otherwise.
template <typename kind, size_t count>
kind keywordat(std::string_view s, const std::pair<std::string_view, kind> (&keywords)[count],
               kind none) {
  const size_t stop = findeither(s, '(', ',');
  if (stop == std::string_view::npos || s[stop] != '(') return none;
  for (const auto& [keyword, k] : keywords) {
    if (s.substr(0, stop) == keyword) return k;
  }
  return none;
}

}  // namespace

querytree::querytree(std::string_view text) : kifejezes(text), parens(text) {
  // Counted before anything is built, so a query far too deep costs one pass.
  if (nesting::deepestof(text) <= nesting::maxnesting) parsequery(text);
}

int32_t querytree::parsequery(std::string_view s) {
  const auto index = static_cast<int32_t>(nodes.size());
  nodes.emplace_back();
  nodes.back().text = s;
  const operatorkind op = keywordat(s, operators, operatorkind::table);
  if (op == operatorkind::table) {
    nodes.back().name = s.substr(0, findeither(s, '(', ','));
    return index;
  }
  const std::string_view argument = argumenttext(s, parens);
  const operands split = splitoperand(argument, parens);
  // Indices, not references: parsing an operand grows the list.
  const int32_t first = parsequery(split.first);
  int32_t second = querynode::none;
  int32_t condition = querynode::none;
  if (op == operatorkind::product || op == operatorkind::unite || op == operatorkind::minus) {
    second = parsequery(split.rest);
  } else if (op == operatorkind::select) {
    condition = parsecondition(split.rest);
  }
  querynode& n = nodes[static_cast<size_t>(index)];
  n.op = op;
  n.argument = argument;
  n.first = first;
  n.second = second;
  n.rest = split.rest;
  n.condition = condition;
  return index;
}

int32_t querytree::parsecondition(std::string_view s) {
  const auto index = static_cast<int32_t>(conditions.size());
  conditions.emplace_back();
  conditions.back().text = s;
  const conditionkind k = keywordat(s, connectives, conditionkind::unrecognised);
  if (k == conditionkind::unrecognised) return index;  // answers no
  const std::string_view argument = argumenttext(s, parens);
  int32_t first = conditionnode::none;
  int32_t second = conditionnode::none;
  operands split{};
  if (k == conditionkind::andkind || k == conditionkind::orkind) {
    const operands both = splitoperand(argument, parens);
    first = parsecondition(both.first);
    second = parsecondition(both.rest);
  } else if (k == conditionkind::notkind) {
    first = parsecondition(argument);
  } else {
    split = splitcomparison(argument, parens);
  }
  conditionnode& n = conditions[static_cast<size_t>(index)];
  n.k = k;
  n.argument = argument;
  n.first = first;
  n.second = second;
  n.left = split.first;
  n.right = split.rest;
  return index;
}

std::vector<std::string_view> projectnames(std::string_view list) {
  std::vector<std::string_view> names;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    names.push_back(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  return names;
}

renaming readrenaming(std::string_view rest, size_t columns) {
  renaming r;
  const size_t open = rest.empty() ? std::string_view::npos : rest.find('(', 1);
  r.name = rest.substr(0, open);
  if (open == std::string_view::npos) return r;  // every column keeps its name
  r.listed = true;
  size_t i = open + 1;
  while (r.columns.size() < columns && i < rest.size()) {
    size_t end = findeither(rest, ',', ')', i + 1);
    if (end == std::string_view::npos) end = rest.size();
    r.columns.push_back(rest.substr(i, end - i));
    i = end + 1;
  }
  // The list goes on unless the last name read ended it at its ")".
  const bool closed = i - 1 < rest.size() && rest[i - 1] == ')';
  r.more = !closed && i < rest.size() && rest[i] != ')';
  return r;
}

std::string_view keywordof(conditionkind k) {
  for (const auto& [keyword, kind] : connectives) {
    if (kind == k) return keyword;
  }
  return "unrecognised";
}

std::string_view keywordof(operatorkind op) {
  for (const auto& [keyword, kind] : operators) {
    if (kind == op) return keyword;
  }
  return "table";
}

}  // namespace relalg
