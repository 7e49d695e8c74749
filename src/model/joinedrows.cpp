// Keeping the operands' lines of a product's rows in step with its rows.
#include "model/joinedrows.h"

#include <cassert>

namespace relalg {

joinedrows::joinedrows(std::vector<printedrows> parts, std::vector<std::vector<int32_t>> rows)
    : made(std::make_shared<const rowsof>(rowsof{std::move(parts), std::move(rows)})) {
  assert(!made->parts.empty() && made->parts.size() == made->rows.size());
}

joinedrows joinedrows::kept(const std::vector<int32_t>& keep) const {
  std::vector<std::vector<int32_t>> rows(made->rows.size());
  for (size_t p = 0; p < rows.size(); ++p) {
    rows[p].reserve(keep.size());
    for (const int32_t row : keep) rows[p].push_back(made->rows[p][static_cast<size_t>(row)]);
  }
  return joinedrows(made->parts, std::move(rows));
}

}  // namespace relalg
