// The database: the input tables and the evaluation of a query tree over them.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/table.h"
#include "syntax/querytree.h"

namespace relalg {

// Told each node's value as evaluation reaches it, to show what every step of a query gave.
class observer {
 public:
  virtual ~observer() = default;
  // `t` holds the node's rows; for a product under a selection, which is never built, only
  // its first `preview` rows. `rows` is the node's row count either way.
  virtual void seen(int32_t node, const table& t, int64_t rows) = 0;
  // How many rows of a product never built are made to be seen.
  int32_t preview = 5;
};

// The product of operands: every combination of their sorted distinct rows in lexicographic
// order, named after the first, with all their columns; at most `limit` rows of it, and
// the count of all of them (saturated at INT64_MAX).
struct combined {
  table t;
  int64_t rows = 0;
};
combined combine(const std::vector<table>& parts, int64_t limit);
// Rows of a product made from its operands' rows: rows[p][i] is operand p's row in row i.
table combination(const std::vector<table>& parts, std::vector<std::vector<int32_t>> rows);

class database {
 public:
  const std::vector<table> tables;

  // How a selection over a product is evaluated: planned, never building the product, or
  // plainly, filtering the built product (the reference the planned way is tested against).
  enum class joins { planned, built };

  // A watcher sees every node's value; selections over selections over a product are then
  // evaluated one by one, so that each has its own.
  explicit database(std::vector<table> input, joins how = joins::planned,
                    observer* watcher = nullptr);

  // The value of a whole query; a query nested deeper than the limit is the empty table. The
  // tree must outlive the call.
  table query(const querytree& tree);

 private:
  // The value of one node, an operator call or a table name, from its operands' values.
  table evaluate(int32_t node);
  // An operand's value, taken from where evaluation left it.
  table take(int32_t node);
  // Which nodes are evaluated: every operand, but the products under planned joins.
  void markneeded();
  // The product a selection over (selections over) it evaluates as a join, or none.
  int32_t joined(const querynode& n) const;

  // One operation per keyword, each given its node of the tree.
  table project(const querynode& n);
  table rename(const querynode& n);
  table select(const querynode& n);
  table product(const querynode& n);
  table unite(const querynode& n);
  table minus(const querynode& n);

  // The selections `roots` over the product at node `over`, without building the product.
  table join(int32_t over, const std::vector<int32_t>& roots);

  // For each table name, the index of the last input table of that name.
  std::unordered_map<std::string_view, size_t> named;
  const joins strategy;
  observer* const watcher;
  const querytree* tree = nullptr;  // of the query being evaluated
  // For each node, the node below its chain of selections: itself when it is no selection.
  std::vector<int32_t> beneath;
  // For each node, how many operands its products have, products flattened: 1 for any other.
  std::vector<int32_t> leaves;
  std::vector<bool> needed;
  // The values of the nodes evaluated and not yet taken by their operator.
  std::vector<table> values;
};

}  // namespace relalg
