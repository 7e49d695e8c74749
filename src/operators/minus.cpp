// Difference: the first operand's rows that match no row of the second, in order, with
// repetitions; rows match when their value texts agree at every column position.
#include <optional>

#include "model/rowset.h"
#include "operators/operators.h"

namespace relalg {

namespace {

// Whether two tables have the same number of columns, and the same type at each position (not
// the same width: a char(0) column prints its values quoted).
bool sametypes(const table& t, const table& u) {
  if (t.columncount() != u.columncount()) return false;
  for (size_t k = 0; k < t.columns().size(); ++k) {
    if (t.columns()[k].type().holdsintegers() != u.columns()[k].type().holdsintegers())
      return false;
  }
  return true;
}

}  // namespace

table minus(const table& r, const table& u) {
  table t = r;
  const int32_t rows = t.rowcount();
  const int32_t count = t.columncount();
  // A second operand with fewer columns than the result matches no row.
  if (rows == 0 || u.rowcount() == 0 || u.columncount() < count) return t;
  std::vector<column> left;
  std::vector<column> right;
  // Fast path: when both operands' rows are whole input lines and the columns at each
  // position hold the same type, rows match exactly when their lines are equal, since each
  // type prints its values one to one and a line reads back one way only. A line is one piece
  // of memory, where a row's values lie in as many columns. The values give the same answer.
  if (sametypes(t, u) && t.lines() && t.lines()->wholelines() && u.lines() &&
      u.lines()->wholelines()) {
    std::optional<column> a = t.lines()->astext();
    std::optional<column> b = u.lines()->astext();
    if (a && b) {
      left.push_back(std::move(*a));
      right.push_back(std::move(*b));
    }
  }
  // Two columns of integers match by their values, which agree exactly when their texts do;
  // any other pair by the value texts: a column of integers is compared as its digits.
  const bool bylines = !left.empty();
  for (size_t k = 0; !bylines && k < static_cast<size_t>(count); ++k) {
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
