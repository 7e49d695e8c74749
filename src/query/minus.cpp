// Difference: the first operand's rows that match no row of the second, in order, with
// repetitions; rows match when their value texts agree at every column position.
#include "query/database.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace relalg {

namespace {

// A hash of a row's value texts in the first `count` columns.
uint64_t hashrow(const table& x, int32_t row, int32_t count) {
  uint64_t h = 1469598103934665603ull;
  intbuffer buffer;
  for (int32_t k = 0; k < count; ++k) {
    const std::string_view text = x.columns[static_cast<size_t>(k)]->valueview(row, buffer);
    h = (h ^ std::hash<std::string_view>{}(text)) * 1099511628211ull;
  }
  return h;
}

bool sametexts(const table& x, int32_t a, const table& y, int32_t b, int32_t count) {
  intbuffer left;
  intbuffer right;
  for (int32_t k = 0; k < count; ++k) {
    const auto i = static_cast<size_t>(k);
    if (x.columns[i]->valueview(a, left) != y.columns[i]->valueview(b, right)) return false;
  }
  return true;
}

}  // namespace

table database::minus(std::string_view a) {
  const operands split = splitoperand(a, *parens);
  const table r = evaluate(split.first);
  const table u = evaluate(split.rest);
  table t;
  t.name = r.name;
  t.addclones(r);
  const int32_t n = t.rowcount();
  const int32_t count = t.columncount();
  // A second operand with fewer columns than the result matches no row.
  if (n == 0 || u.rowcount() == 0 || u.columncount() < count) return t;
  // The second operand's rows by hash, so each row of the first meets only likely matches
  // instead of every row.
  std::vector<std::pair<uint64_t, int32_t>> hashed;
  hashed.reserve(static_cast<size_t>(u.rowcount()));
  for (int32_t b = 0; b < u.rowcount(); ++b) hashed.emplace_back(hashrow(u, b, count), b);
  std::sort(hashed.begin(), hashed.end());
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < n; ++row) {
    const uint64_t h = hashrow(t, row, count);
    auto candidate = std::lower_bound(hashed.begin(), hashed.end(), std::make_pair(h, int32_t{0}));
    bool found = false;
    for (; candidate != hashed.end() && candidate->first == h && !found; ++candidate) {
      found = sametexts(t, row, u, candidate->second, count);
    }
    if (!found) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != n) t.keeprows(kept);
  return t;
}

}  // namespace relalg
