// The rewrites of a plan: a selection over products planned as a join, and the steps a
// selection is moved below so that it meets the product it reads.
#pragma once

#include <cstdint>
#include <vector>

#include "plan/plan.h"
#include "tree/querytree.h"

namespace relalg {

// Rewrites the selection at step `at`, the last step made, where it reads (through renamings
// and projections) a product or a join: the selection's conjuncts, bound by position to the
// columns they named before the rewrite, join the product's operands; the renaming or
// projection is made over the join. Steps replaced are marked removed, new ones appended.
// Answers the step that now gives the selection's value.
int32_t planjoin(const querytree& tree, plan& p, std::vector<bool>& removed, int32_t at);

// Marks each join read only by a projection (through renamings) that keeps the columns of its
// first operands alone: the join need then find one match of the later operands, not all. A
// difference of a product read so is given the product's operands, the product marked removed.
void planmatchonce(plan& p, std::vector<bool>& removed);

// The plan without its removed steps, every operand's index made anew.
plan dropremoved(plan p, const std::vector<bool>& removed);

}  // namespace relalg
