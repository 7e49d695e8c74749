// A selection condition bound to the columns it reads, asked for a batch of rows at once.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/column.h"
#include "plan/binding.h"
#include "tree/querytree.h"

namespace relalg {

// A column a condition may read: which row source it belongs to (an operand of a join; 0 for
// a plain table) and the column itself.
struct boundcolumn {
  int32_t slot = 0;
  const column* c = nullptr;
};

// The rows a condition is asked for: rows of one slot, the rows first to first + count - 1
// or the listed ones; the other slots' rows fixed, fixed[slot] each.
struct rowbatch {
  int32_t slot = 0;
  const int32_t* rows = nullptr;  // none: the rows from first on
  int32_t first = 0;
  size_t count = 0;
  const int32_t* fixed = nullptr;
};

// Binding once gives the same answers as reading the text again for every row: the text and
// the columns' names and types are the same for every row; only the values differ. The bound
// condition is a program in postfix order, each step made for every row of a batch in a loop
// of its own, with a small stack of answer lists: no recursion, however deep it nests.
class condition {
 public:
  // The condition at root, its comparisons bound to positions among columns; the tree and the
  // columns must outlive the condition.
  condition(const querytree& tree, int32_t root, const std::vector<binding>& bindings,
            const std::vector<boundcolumn>& columns);

  // One answer for each row of the batch, 1 where it holds.
  std::vector<uint8_t> evaluate(const rowbatch& batch) const;

 private:
  // A comparison operand: the row's value of the column it names, or else its own text.
  struct operand {
    const column* named = nullptr;
    int32_t slot = 0;
    std::string_view text;  // a constant, quotes already stripped
    int32_t number = 0;     // the constant's reading as an integer
  };

  // One step: a comparison or an unrecognised condition pushes its answers; AND and OR take
  // the top two lists, NOT turns the top one.
  struct step {
    conditionkind k = conditionkind::unrecognised;
    operand left;
    operand right;
    bool isint = false;
  };

  std::vector<step> program;

  template <typename rowsof>
  std::vector<uint8_t> run(const rowbatch& batch, rowsof&& rowat) const;
  template <typename rowsof>
  std::vector<uint8_t> compare(const step& s, const rowbatch& batch, rowsof&& rowat) const;
};

}  // namespace relalg
