// A condition's comparisons bound to the columns they name, known from a schema alone.
#pragma once

#include <cstdint>
#include <vector>

#include "plan/schema.h"
#include "tree/querytree.h"

namespace relalg {

// How a comparison reads its operands: each a column's position or a constant, and whether the
// two compare as integers.
struct binding {
  int32_t left = -1;  // the position of the column the left operand names, or -1: a constant
  int32_t right = -1;
  // Of two named columns the later-standing one decides, as a later match overrides an earlier
  // one when every column is visited in order; two constants compare as texts.
  bool isint = false;
  // The column that decided between integer and text comparison, or -1.
  int32_t decider() const { return left > right ? left : right; }
};

// Binds one comparison to the columns of a schema: names are matched whole and exactly,
// before quotes are stripped, and a name borne by several columns names the last of them.
binding bindcomparison(const conditionnode& n, const schema& s, const columnnames& names);

// Binds every comparison of the condition at root into bindings, which holds one binding for
// each condition node of the tree.
void bindcondition(const querytree& tree, int32_t root, const schema& s,
                   std::vector<binding>& bindings);

// The operands of the ANDs at the top of a condition, left to right: a row passes the whole
// condition when it passes every one of them.
std::vector<int32_t> conjunctsof(const querytree& tree, int32_t root);

}  // namespace relalg
