// What relalg-explain tells about one input: the tables as read, every step of the query
// with its value, and a note for every rule applied silently.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tree/querytree.h"

namespace relalg {

// One sentence about the input, with the line it concerns (counted from 1) or 0 for none.
struct note {
  int64_t line = 0;
  std::string text;
};

struct columninfo {
  std::string name;
  std::string type;  // as a header prints it
};

// An input table as the reader made it.
struct tableinfo {
  std::string name;
  int64_t line = 0;  // where its header stands
  std::vector<columninfo> columns;
  int64_t rows = 0;
  std::vector<note> notes;
};

// One connective or comparison of a selection condition, bound as evaluation binds it.
struct conditioninfo {
  conditionkind k = conditionkind::unrecognised;
  std::string_view text;          // the exact text cut for it
  std::vector<int32_t> operands;  // AND, OR, NOT: indices into the conditions
  // A comparison's operands as written, and whether each names a column.
  std::string_view left;
  std::string_view right;
  bool leftnamed = false;
  bool rightnamed = false;
  bool integers = false;  // compared as integers
  std::string decider;    // the column that chose integers or texts; empty for none
  std::vector<note> notes;
};

// How a selection over a product runs: as a join of the product's operands, the product never
// built. Conjuncts are given by their texts.
struct joininfo {
  std::vector<int32_t> operands;  // indices into the nodes
  // Equalities met by matching keys: the earlier operand's column, the later one's.
  std::vector<std::pair<std::string, std::string>> keys;
  std::vector<std::vector<std::string_view>> filters;  // for each operand, before combining
  std::vector<std::string_view> checks;                // on each combination
  std::vector<std::string_view> constants;             // asked once
};

// One operator call or table name of the query, with its value.
struct nodeinfo {
  operatorkind op = operatorkind::table;
  std::string_view text;  // the exact text cut for it, evaluated as it stands
  std::string name;       // the name of its value
  std::vector<columninfo> columns;
  int64_t rows = 0;
  // False when its value does not fit in memory: relalg stops there, and rows is unknown.
  bool held = true;
  std::vector<std::vector<std::string>> first;  // its first rows, each value as printed
  std::vector<int32_t> operands;                // indices into the nodes
  int32_t condition = -1;                       // select: index into the conditions
  // What the node names: a table name looked up; project's column names; rename's new
  // table name and column names.
  std::string_view word;
  std::vector<std::string_view> names;
  std::vector<note> notes;
  // A selection that runs as a join: how.
  std::optional<joininfo> join;
};

struct explanation {
  // The normalised query: every text of a node or a condition is a view of it.
  std::shared_ptr<const std::string> query;
  std::vector<tableinfo> tables;
  std::vector<nodeinfo> nodes;  // the root first
  std::vector<conditioninfo> conditions;
  std::vector<note> notes;  // about the input as a whole and its query section
  int64_t depth = 0;        // how deep the query's parentheses nest
  int64_t querylines = 1;   // how many lines the query section holds
};

}  // namespace relalg
