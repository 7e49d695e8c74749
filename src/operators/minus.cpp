// Difference: the first operand's rows that match no row of the second, in order, with
// repetitions; rows match when their value texts agree at every column position.
#include "model/rowgroups.h"
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

// The rows of t, each with the rows of the other that match it: what a difference's lineage
// lists.
table tracedmatches(const table& t, const rowvalues& x, const rowvalues& y, lineage& made) {
  const rowgroups groups(y);
  made = lineage(2);
  for (size_t row = 0; row < x.rows; ++row) {
    const auto own = static_cast<int32_t>(row);
    made.add(0, &own, &own + 1);
    const size_t g = groups.find(x, row);
    if (g == rowgroups::none) {
      made.add(1, &own, &own);
    } else {
      made.add(1, groups.first(g), groups.last(g));
    }
  }
  return t;
}

// The rows of t not found.
table keptunmatched(table t, const std::vector<uint8_t>& found) {
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < t.rowcount(); ++row) {
    if (!found[static_cast<size_t>(row)]) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != t.rowcount()) t.gather(kept);
  return t;
}

}  // namespace

table minus(const table& r, const table& u, lineage* made) {
  table t = r;
  const int32_t rows = t.rowcount();
  const int32_t count = t.columncount();
  // A second operand with fewer columns than the result matches no row.
  if (rows == 0 || u.rowcount() == 0 || u.columncount() < count) {
    if (made) {
      *made = lineage(2);
      for (int32_t row = 0; row < rows; ++row) {
        made->add(0, &row, &row + 1);
        made->add(1, &row, &row);
      }
    }
    return t;
  }
  // Fast path: when both operands' rows are their input lines as read and the columns at each
  // position hold the same type, rows match exactly when their lines are equal, since each
  // type prints its values one to one and a line reads back one way only. A line is one piece
  // of memory, where a row's values lie in as many columns. The values give the same answer.
  const inputlines* tlines = t.lines() ? t.lines()->asread() : nullptr;
  const inputlines* ulines = u.lines() ? u.lines()->asread() : nullptr;
  if (sametypes(t, u) && tlines && ulines) {
    const rowvalues x(*tlines);
    const rowvalues y(*ulines);
    if (made) return tracedmatches(t, x, y, *made);
    return keptunmatched(t, heldin(x, rowhashes(x), y, rowhashes(y)));
  }
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
  if (made) return tracedmatches(t, x, y, *made);
  return keptunmatched(t, heldin(x, rowhashes(x), y, rowhashes(y)));
}

}  // namespace relalg
