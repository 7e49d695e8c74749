// Product: every pairing of the operands' rows, sorted without repeated rows.
#include <algorithm>

#include "model/rowlimit.h"
#include "operators/operators.h"

namespace relalg {

productpreview previewproduct(const std::vector<table>& parts, int64_t limit) {
  // Combinations compare by their first operand's row, then by the next one's, so walking the
  // operands' sorted distinct rows in order gives the sorted distinct product directly.
  std::vector<std::vector<int32_t>> distinct;
  productpreview c;
  c.rows = 1;
  for (const table& part : parts) {
    distinct.push_back(part.distinctrows());
    const auto size = static_cast<int64_t>(distinct.back().size());
    // Saturated: only whether the count passes what rows can be counted in matters then.
    c.rows = size != 0 && c.rows > INT64_MAX / size ? INT64_MAX : c.rows * size;
  }
  const int32_t made = checkedrowcount(static_cast<uint64_t>(std::min(c.rows, limit)));
  std::vector<std::vector<int32_t>> rows(parts.size());
  for (auto& r : rows) r.reserve(static_cast<size_t>(made));
  std::vector<size_t> at(parts.size(), 0);
  for (int32_t i = 0; i < made; ++i) {
    for (size_t p = 0; p < parts.size(); ++p) rows[p].push_back(distinct[p][at[p]]);
    // The last operand's row turns fastest, like the last digit of a counter.
    for (size_t p = parts.size(); p-- > 0;) {
      if (++at[p] < distinct[p].size()) break;
      at[p] = 0;
    }
  }
  c.t = table::combined(parts, std::move(rows));
  return c;
}

table product(const std::vector<table>& parts) { return previewproduct(parts, INT64_MAX).t; }

}  // namespace relalg
