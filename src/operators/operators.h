// The operators: each makes a step's value from its operands' values.
#pragma once

#include <cstdint>
#include <vector>

#include "model/table.h"
#include "plan/plan.h"
#include "tree/querytree.h"

namespace relalg {

// Clones of the operand's columns picked by the step, sorted without repeated rows; unnamed.
table project(const step& s, const table& r);
// The operand's rows under the step's names.
table rename(const step& s, const table& r);
// The operand's rows for which the step's condition holds, in order, repetitions kept.
table select(const querytree& tree, const plan& p, const step& s, const table& r);
// Every pairing of the operands' rows, sorted without repeated rows.
table product(const std::vector<table>& parts);
// The rows of both, columns matched by position and typed as the first's, sorted without
// repeated rows.
table unite(const table& r, const table& u);
// The first's rows that match no row of the second, in order, with repetitions.
table minus(const table& r, const table& u);
// The combinations of the operands' rows that pass the join's conjuncts, in the product's order.
table join(const querytree& tree, const plan& p, const step& s, const std::vector<table>& parts);

// The product of operands, at most `limit` rows of it, and the count of all of them
// (saturated at INT64_MAX): a product's first rows shown without building it.
struct productpreview {
  table t;
  int64_t rows = 0;
};
productpreview previewproduct(const std::vector<table>& parts, int64_t limit);

}  // namespace relalg
