// The tests' oracle for conditions: one row at a time, every comparison resolving its operands
// by visiting every column in order, as the condition's text says.
#pragma once

#include <string_view>

#include "model/table.h"
#include "model/textint.h"
#include "operators/condition/comparison.h"
#include "tree/querytree.h"

namespace relalg::testing {

// The answer of the condition node for one row of a table. Recursive and slow on purpose: the
// plain reading that the bound, batched evaluation must agree with.
inline bool holds(const querytree& tree, int32_t node, const table& t, int32_t row) {
  const conditionnode& n = tree.conditions[static_cast<size_t>(node)];
  switch (n.k) {
    case conditionkind::unrecognised:
      return false;
    case conditionkind::andkind: {
      const bool first = holds(tree, n.first, t, row);  // both are always evaluated
      return holds(tree, n.second, t, row) && first;
    }
    case conditionkind::orkind: {
      const bool first = holds(tree, n.first, t, row);
      return holds(tree, n.second, t, row) || first;
    }
    case conditionkind::notkind:
      return !holds(tree, n.first, t, row);
    default:
      break;
  }
  // A column named by an operand gives its value; a later one overrides an earlier, for the
  // value and for whether the two compare as integers, which its width of 0 says.
  std::string s1(n.left);
  std::string s2(n.right);
  bool isint = false;
  for (const column& c : t.columns()) {
    intbuffer buffer;
    if (c.name == n.left) {
      s1 = std::string(c.valueview(row, buffer));
      isint = c.type().width() == 0;
    }
    if (c.name == n.right) {
      s2 = std::string(c.valueview(row, buffer));
      isint = c.type().width() == 0;
    }
  }
  const int order = comparevalues(stripquotes(s1), stripquotes(s2), isint);
  switch (n.k) {
    case conditionkind::eq:
      return order == 0;
    case conditionkind::neq:
      return order != 0;
    case conditionkind::lt:
      return order < 0;
    case conditionkind::lte:
      return order <= 0;
    case conditionkind::gt:
      return order > 0;
    default:
      return order >= 0;
  }
}

}  // namespace relalg::testing
