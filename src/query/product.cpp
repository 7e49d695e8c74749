// Product: every pairing of the operands' rows, sorted without repeated rows.
#include <algorithm>

#include "model/rowlimit.h"
#include "query/database.h"

namespace relalg {

combined combine(const std::vector<table>& parts, int64_t limit) {
  // Combinations compare by their first operand's row, then by the next one's, so walking the
  // operands' sorted distinct rows in order gives the sorted distinct product directly.
  std::vector<std::vector<int32_t>> distinct;
  combined c;
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
  c.t = combination(parts, std::move(rows));
  return c;
}

table combination(const std::vector<table>& parts, std::vector<std::vector<int32_t>> rows) {
  table t;
  t.name = parts.front().name;
  std::vector<keeping> jobs;
  bool lines = true;  // whether every operand prints as its lines
  for (size_t p = 0; p < parts.size(); ++p) {
    // The clones keep their sources' types, so passing values through text would change none.
    for (const auto& c : parts[p].columns) {
      t.addcolumn(c->clone());
      jobs.push_back({t.columns.back().get(), &rows[p]});
    }
    lines = lines && parts[p].printed && parts[p].columncount() > 0;
  }
  keepcolumns(jobs);
  if (lines) {
    std::vector<printedrows> printed;
    for (const table& part : parts) printed.push_back(*part.printed);
    t.joined.emplace(std::move(printed), std::move(rows));
  }
  return t;
}

table database::product(const querynode& n) {
  const table r = take(n.first);
  const table u = take(n.second);
  return combine({r, u}, INT64_MAX).t;
}

}  // namespace relalg
