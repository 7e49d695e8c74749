// Difference: the first operand's rows that match no row of the second, in order, with
// repetitions; rows match when their value texts agree at every column position.
#include "model/rowset.h"
#include "operators/operators.h"

namespace relalg {

table minus(const table& r, const table& u) {
  table t = r;
  const int32_t rows = t.rowcount();
  const int32_t count = t.columncount();
  // A second operand with fewer columns than the result matches no row.
  if (rows == 0 || u.rowcount() == 0 || u.columncount() < count) return t;
  // Two columns of integers match by their values, which agree exactly when their texts do;
  // any other pair by the value texts: a column of integers is compared as its digits.
  std::vector<column> left;
  std::vector<column> right;
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    const column& a = t.columns()[k];
    const column& b = u.columns()[k];
    const bool integers = a.type().holdsintegers() && b.type().holdsintegers();
    const columntype astext = columntype::text(0);
    left.push_back(integers ? a : a.convertedto(astext));
    right.push_back(integers ? b : b.convertedto(astext));
  }
  const rowvalues x(left);
  const rowvalues y(right);
  const std::vector<uint8_t> found = heldin(x, rowhashes(x), y, rowhashes(y));
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < rows; ++row) {
    if (!found[static_cast<size_t>(row)]) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != rows) t.gather(kept);
  return t;
}

}  // namespace relalg
