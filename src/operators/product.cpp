// Product: every pairing of the operands' rows, sorted without repeated rows.
#include <algorithm>

#include "model/rowgroups.h"
#include "model/rowlimit.h"
#include "operators/operators.h"

namespace relalg {

namespace {

// Each part's row in each of the first `limit` rows of the product, and the count of all of
// them (saturated: only whether the count passes what rows can be counted in matters then).
std::vector<std::vector<int32_t>> combinations(const std::vector<table>& parts, int64_t limit,
                                               int64_t& count) {
  // Combinations compare by their first operand's row, then by the next one's, so walking the
  // operands' sorted distinct rows in order gives the sorted distinct product directly.
  std::vector<std::vector<int32_t>> distinct;
  count = 1;
  for (const table& part : parts) {
    distinct.push_back(part.distinctrows());
    const auto size = static_cast<int64_t>(distinct.back().size());
    count = size != 0 && count > INT64_MAX / size ? INT64_MAX : count * size;
  }
  const int32_t made = checkedrowcount(static_cast<uint64_t>(std::min(count, limit)));
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
  return rows;
}

}  // namespace

productpreview previewproduct(const std::vector<table>& parts, int64_t limit) {
  productpreview c;
  c.t = table::combined(parts, combinations(parts, limit, c.rows));
  return c;
}

table product(const std::vector<table>& parts, lineage* made) {
  int64_t count;
  std::vector<std::vector<int32_t>> rows = combinations(parts, INT64_MAX, count);
  if (made) tracecombined(parts, rows, *made);
  return table::combined(parts, std::move(rows));
}

void tracecombined(const std::vector<table>& parts, const std::vector<std::vector<int32_t>>& rows,
                   lineage& made) {
  made = lineage(parts.size());
  for (size_t p = 0; p < parts.size(); ++p) {
    const rowvalues values(parts[p].columns());
    const rowgroups groups(values);
    for (const int32_t row : rows[p]) {
      const uint32_t g = groups.groupof(static_cast<size_t>(row));
      made.add(p, groups.first(g), groups.last(g));
    }
  }
}

}  // namespace relalg
