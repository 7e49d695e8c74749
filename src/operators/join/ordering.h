// The candidates of a join operand that needs one match, ordered by a comparison with an
// earlier operand so that those passing it come first.
#pragma once

#include <cstdint>
#include <vector>

#include "operators/condition/condition.h"
#include "plan/plan.h"
#include "tree/querytree.h"

namespace relalg {

// Finds among the conjuncts checked at a slot one comparison (LT, LTE, GT or GTE) between a
// column of that slot and a column of an earlier one, and sorts the slot's rows by their value
// there, compared as the comparison compares, so that for any row bound before, the rows that
// pass it come first and the first that fails it is followed only by rows that fail it too.
// Answers the conjunct's position among `checks`, or -1 when none is such a comparison (the
// rows are then left as they are).
int32_t orderbycomparison(const querytree& tree, const plan& p, const std::vector<int32_t>& checks,
                          const std::vector<boundcolumn>& columns, int32_t slot,
                          std::vector<int32_t>& rows);

}  // namespace relalg
