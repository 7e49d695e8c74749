// The operators: each makes a step's value from its operands' values.
#pragma once

#include <cstdint>
#include <vector>

#include "model/table.h"
#include "plan/plan.h"
#include "tree/querytree.h"

namespace relalg {

// Which rows of its operands made each row of a step's value, when an operator is asked: for
// row i, operand k's rows rows[k][starts[k][i]] up to rows[k][starts[k][i + 1]]. A selection
// and a renaming list the operand row a row is; a projection, a product, a union and a join
// every row of each operand that holds the row's values there (none where an operand of a
// union holds none); a difference the row of its first operand and every row of the second
// that matches it. Asked for its lineage, a difference keeps every row of its first operand:
// which rows it drops on any part of the database is then told by the rows that match them.
struct lineage {
  std::vector<std::vector<uint32_t>> starts;
  std::vector<std::vector<int32_t>> rows;

  explicit lineage(size_t operands = 0) : starts(operands, {0}), rows(operands) {}
  // Lists the given rows of an operand for the next row of the value.
  template <typename iterator>
  void add(size_t operand, iterator first, iterator last) {
    for (; first != last; ++first) rows[operand].push_back(static_cast<int32_t>(*first));
    starts[operand].push_back(static_cast<uint32_t>(rows[operand].size()));
  }
};

// Clones of the operand's columns picked by the step, sorted without repeated rows; unnamed.
table project(const step& s, const table& r, lineage* made = nullptr);
// The operand's rows under the step's names.
table rename(const step& s, const table& r, lineage* made = nullptr);
// The operand's rows for which the step's condition holds, in order, repetitions kept.
table select(const querytree& tree, const plan& p, const step& s, const table& r,
             lineage* made = nullptr);
// Every pairing of the operands' rows, sorted without repeated rows.
table product(const std::vector<table>& parts, lineage* made = nullptr);
// The rows of both, columns matched by position and typed as the first's, sorted without
// repeated rows.
table unite(const table& r, const table& u, lineage* made = nullptr);
// The first's rows that match no row of the second, in order, with repetitions.
table minus(const table& r, const table& u, lineage* made = nullptr);
// For a difference whose first operand is the product of parts, read for the first part's
// columns alone: for each row of the first part, the first pair with a row of the second that
// matches no row of u, without making the product. A product too large for relalg is refused.
table minusofproduct(const std::vector<table>& parts, const table& u);
// The combinations of the operands' rows that pass the join's conjuncts, in the product's order.
table join(const querytree& tree, const plan& p, const step& s, const std::vector<table>& parts,
           lineage* made = nullptr);

// For each part, the rows it holds equal to each of its rows given by rows[p]: the lineage of
// rows made of rows of parts (a product's, a join's).
void tracecombined(const std::vector<table>& parts, const std::vector<std::vector<int32_t>>& rows,
                   lineage& made);

// The product of operands, at most `limit` rows of it, and the count of all of them
// (saturated at INT64_MAX): a product's first rows shown without building it.
struct productpreview {
  table t;
  int64_t rows = 0;
};
productpreview previewproduct(const std::vector<table>& parts, int64_t limit);

}  // namespace relalg
