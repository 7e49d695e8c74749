// A selection over a product, planned so that the product is never built: the condition's
// AND-conjuncts sorted by the operands of the product they read.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "condition/condition.h"
#include "model/table.h"
#include "query/join/keyindex.h"
#include "syntax/querytree.h"

namespace relalg {

// A product of products is one product of all their operands: its rows are every combination
// of the operands' sorted distinct rows, in lexicographic order. Each conjunct is met where it
// first can be: one that reads no column is answered once; one that reads a single operand
// filters that operand's rows before they are combined; an equality between two operands'
// columns becomes a key of the later one's index; any other is checked on each combination
// as soon as the operands it reads are bound.
class joinplan {
 public:
  // The parts and the tree must outlive the plan; every condition at `roots` must hold.
  joinplan(const querytree& tree, const std::vector<int32_t>& roots,
           const std::vector<table>& parts);

  // For each operand, its row in each combination that passes, in the product's order.
  std::vector<std::vector<int32_t>> matches() const;

 private:
  struct level {
    // The operand's sorted distinct rows that pass its own conjuncts.
    std::vector<int32_t> rows;
    // Equalities with earlier operands, met through an index of those rows.
    std::optional<keyindex> index;
    // Conjuncts read last at this operand: indices into `conjuncts`.
    std::vector<size_t> checks;
  };

  std::vector<condition> conjuncts;
  std::vector<level> levels;
  // A conjunct that reads no column answered no: nothing passes.
  bool never = false;

  bool passes(const level& at, const int32_t* bound) const;
};

}  // namespace relalg
