// Parsing the normalised query text into its tree: the keyword scan, the argument texts and
// the operand splits, as evaluation reads them.
#include "tree/querytree.h"

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

querytree::querytree(std::string_view text) : text(text), parens(text) {
  // Counted before anything is built, so a query far too deep costs one pass.
  if (nesting::deepestof(text) <= nesting::maxnesting) parsequery(text);
}

namespace {

// A text still to be parsed, and where its node's index goes: the first or the second
// operand of the node `parent` (none for the root).
struct pending {
  std::string_view text;
  int32_t parent;
  bool first;
};

}  // namespace

// A work list instead of a recursion, so that no call stack grows with the nesting: each
// node is made before its operands, which therefore always stand after it in the list.
int32_t querytree::parsequery(std::string_view root) {
  const auto rootindex = static_cast<int32_t>(nodes.size());
  std::vector<pending> work{{root, querynode::none, true}};
  while (!work.empty()) {
    const pending p = work.back();
    work.pop_back();
    const auto index = static_cast<int32_t>(nodes.size());
    if (p.parent != querynode::none) {
      querynode& parent = nodes[static_cast<size_t>(p.parent)];
      (p.first ? parent.first : parent.second) = index;
    }
    querynode n;
    n.text = p.text;
    n.op = keywordat(p.text, operators, operatorkind::table);
    if (n.op == operatorkind::table) {
      n.name = p.text.substr(0, findeither(p.text, '(', ','));
      nodes.push_back(n);
      continue;
    }
    n.argument = argumenttext(p.text, parens);
    const operands split = splitoperand(n.argument, parens);
    n.rest = split.rest;
    if (n.op == operatorkind::select) n.condition = parsecondition(split.rest);
    nodes.push_back(n);
    // The first operand is taken next, so the nodes stand in the order the text reads.
    if (n.op == operatorkind::product || n.op == operatorkind::unite ||
        n.op == operatorkind::minus) {
      work.push_back({split.rest, index, false});
    }
    work.push_back({split.first, index, true});
  }
  return rootindex;
}

int32_t querytree::parsecondition(std::string_view root) {
  const auto rootindex = static_cast<int32_t>(conditions.size());
  std::vector<pending> work{{root, conditionnode::none, true}};
  while (!work.empty()) {
    const pending p = work.back();
    work.pop_back();
    const auto index = static_cast<int32_t>(conditions.size());
    if (p.parent != conditionnode::none) {
      conditionnode& parent = conditions[static_cast<size_t>(p.parent)];
      (p.first ? parent.first : parent.second) = index;
    }
    conditionnode n;
    n.text = p.text;
    n.k = keywordat(p.text, connectives, conditionkind::unrecognised);
    if (n.k != conditionkind::unrecognised) n.argument = argumenttext(p.text, parens);
    conditions.push_back(n);
    if (n.k == conditionkind::andkind || n.k == conditionkind::orkind) {
      const operands both = splitoperand(n.argument, parens);
      work.push_back({both.rest, index, false});
      work.push_back({both.first, index, true});
    } else if (n.k == conditionkind::notkind) {
      work.push_back({n.argument, index, true});
    } else if (n.k != conditionkind::unrecognised) {
      const operands split = splitcomparison(n.argument, parens);
      conditions.back().left = split.first;
      conditions.back().right = split.rest;
    }
  }
  return rootindex;
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
