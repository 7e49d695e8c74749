// Keeping the input lines of a table's rows in step with its rows.
#include "model/printedrows.h"

namespace relalg {

printedrows printedrows::kept(const std::vector<int32_t>& keep) const {
  printedrows k(lines);
  auto chosen = std::make_shared<std::vector<int32_t>>();
  chosen->reserve(keep.size());
  for (const int32_t row : keep) chosen->push_back(rows ? (*rows)[static_cast<size_t>(row)] : row);
  k.rows = std::move(chosen);
  return k;
}

}  // namespace relalg
