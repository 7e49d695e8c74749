// Difference: the first operand's rows that match no row of the second, in order, with
// repetitions; rows match when their value texts agree at every column position.
#include <algorithm>
#include <utility>

#include "model/texthash.h"
#include "query/database.h"

namespace relalg {

namespace {

// A hash of a row's value texts in the first `count` columns.
uint64_t hashrow(const table& x, int32_t row, int32_t count) {
  uint64_t h = 0;
  intbuffer buffer;
  for (int32_t k = 0; k < count; ++k) {
    // Each text's hash goes into the next one's, with its length, so that the pieces stay apart.
    const std::string_view text = x.columns[static_cast<size_t>(k)]->valueview(row, buffer);
    h = hashtext(text, h * 31 + text.size());
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

// The distinct rows of the second operand in an open-addressing table, so that each row of
// the first meets only the rows of its own hash instead of every row.
class rowset {
 public:
  rowset(const table& rows, int32_t count) : u(rows), width(count) {
    size_t size = 64;
    while (size < 2 * static_cast<size_t>(u.rowcount())) size *= 2;
    slots.assign(size, {0, -1});
    for (int32_t b = 0; b < u.rowcount(); ++b) {
      const uint64_t h = hashrow(u, b, width);
      size_t at = h & (size - 1);
      for (; slots[at].second >= 0; at = (at + 1) & (size - 1)) {
        if (slots[at].first == h && sametexts(u, slots[at].second, u, b, width)) break;
      }
      // A repeated row is kept once, so no run of equal rows lengthens the search.
      if (slots[at].second < 0) slots[at] = {h, b};
    }
  }

  bool holds(const table& t, int32_t row) const {
    const uint64_t h = hashrow(t, row, width);
    for (size_t at = h & (slots.size() - 1); slots[at].second >= 0;
         at = (at + 1) & (slots.size() - 1)) {
      if (slots[at].first == h && sametexts(t, row, u, slots[at].second, width)) return true;
    }
    return false;
  }

 private:
  const table& u;
  const int32_t width;
  std::vector<std::pair<uint64_t, int32_t>> slots;  // hash and row; row -1 marks a free slot
};

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
  const rowset found(u, count);
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < n; ++row) {
    if (!found.holds(t, row)) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != n) t.keeprows(kept);
  return t;
}

}  // namespace relalg
