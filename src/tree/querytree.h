// The query as a tree of operator calls and conditions, cut from the normalised query text
// exactly as the evaluator reads it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tree/nesting.h"

namespace relalg {

enum class operatorkind { table, project, rename, select, product, unite, minus };

// One operator call, or a table name. Operands and conditions are indices into the tree.
struct querynode {
  static constexpr int32_t none = -1;

  operatorkind op = operatorkind::table;
  // The exact text this node was cut from and is evaluated as.
  std::string_view text;
  // A table name: the word looked up among the input tables.
  std::string_view name;
  // An operator call: the text inside its parentheses.
  std::string_view argument;
  int32_t first = none;   // every operator's first operand
  int32_t second = none;  // product, union and minus: the second operand
  // What follows the first operand's comma: project's column list, rename's new names,
  // select's condition text.
  std::string_view rest;
  int32_t condition = none;  // select: the root of its condition
};

// The six comparisons stand last.
enum class conditionkind { unrecognised, andkind, orkind, notkind, eq, neq, lt, lte, gt, gte };
inline bool iscomparison(conditionkind k) { return k >= conditionkind::eq; }

// One connective or comparison of a selection condition; an unrecognised text answers no.
struct conditionnode {
  static constexpr int32_t none = -1;

  conditionkind k = conditionkind::unrecognised;
  std::string_view text;      // the exact text this node was cut from
  std::string_view argument;  // the text inside the keyword's parentheses
  int32_t first = none;       // AND and OR: both operands; NOT: the first only
  int32_t second = none;
  std::string_view left;  // a comparison's two operand texts as written, quotes kept
  std::string_view right;
};

// Built once per query, without recursion: no call stack grows with the nesting. In both
// lists a node stands before its operands. The text must outlive the tree.
class querytree {
 public:
  explicit querytree(std::string_view text);

  // The query nested deeper than the nesting limit: it has no nodes, and its value is the
  // empty table.
  bool toodeep() const { return nodes.empty(); }
  int32_t root() const { return 0; }

  const std::string_view text;
  const nesting parens;
  std::vector<querynode> nodes;
  std::vector<conditionnode> conditions;

 private:
  int32_t parsequery(std::string_view s);
  int32_t parsecondition(std::string_view s);
};

// The names of project's column list, in order: the texts between its commas, the empty
// ones included; a comma at the end adds no name.
std::vector<std::string_view> projectnames(std::string_view list);

// What rename reads of its new names for an operand of `columns` columns.
struct renaming {
  std::string_view name;  // the new table name
  // The new column names, one per column from the first on; fewer when the text ends first.
  std::vector<std::string_view> columns;
  bool listed = false;  // whether a "(" opened a list of column names
  // Whether the text goes on after the last name read: names past the operand's columns.
  bool more = false;
};
// The new name takes its first character unconditionally and runs to the next "("; each
// column name, too, takes its first character and runs to the next "," or ")".
renaming readrenaming(std::string_view rest, size_t columns);

// The keyword of a condition node, as written in a query ("unrecognised" for none).
std::string_view keywordof(conditionkind k);
// The keyword of an operator node, as written in a query ("table" for a table name).
std::string_view keywordof(operatorkind op);

}  // namespace relalg
