// Grouping rows by their values through the one hashed row set, then by counting.
#include "model/rowgroups.h"

namespace relalg {

rowgroups::rowgroups(const rowvalues& rows)
    : set(rows, rowset::holding::inplace, rows.rows), group(rows.rows) {
  bool added;
  for (size_t row = 0; row < rows.rows; ++row) {
    const size_t firstrow = set.add(rows, row, rows.hash(row), added);
    group[row] = added ? static_cast<uint32_t>(set.size() - 1) : group[firstrow];
  }
  starts.assign(set.size() + 1, 0);
  for (const uint32_t g : group) ++starts[g + 1];
  for (size_t g = 1; g < starts.size(); ++g) starts[g] += starts[g - 1];
  members.resize(rows.rows);
  std::vector<uint32_t> next(starts.begin(), starts.end() - 1);
  for (size_t row = 0; row < rows.rows; ++row)
    members[next[group[row]]++] = static_cast<uint32_t>(row);
}

}  // namespace relalg
