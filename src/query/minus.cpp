// Difference: the first operand's rows that match no row of the second, in order, with
// repetitions; rows match when their value texts agree at every column position.
#include <algorithm>
#include <utility>

#include "model/keysort.h"
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

// Every row of x keyed by the hash of its texts, sorted by it.
std::vector<uint64_t> byhash(const table& x, int32_t count) {
  std::vector<uint64_t> words;
  words.reserve(static_cast<size_t>(x.rowcount()));
  for (int32_t row = 0; row < x.rowcount(); ++row) {
    words.push_back(keyed(static_cast<uint32_t>(hashrow(x, row, count)), row));
  }
  std::vector<uint64_t> scratch;
  sortbykey(words, scratch);
  return words;
}

// The rows of t that match a row of u. Both sides are sorted by hash and walked together,
// so that only rows of one hash meet, and memory is read in sequence: a hash table of a
// large operand would be probed at random.
std::vector<bool> matched(const table& t, const table& u, int32_t count) {
  const std::vector<uint64_t> left = byhash(t, count);
  const std::vector<uint64_t> right = byhash(u, count);
  std::vector<bool> found(left.size(), false);
  std::vector<int32_t> distinct;  // the distinct rows of u in one run of equal hashes
  for (size_t i = 0, j = 0; i < left.size() && j < right.size();) {
    const uint32_t h = keyof(left[i]);
    if (h != keyof(right[j])) {
      h < keyof(right[j]) ? ++i : ++j;
      continue;
    }
    // Repeated rows of u are met once, so no run of equal rows lengthens the comparisons.
    distinct.clear();
    for (; j < right.size() && keyof(right[j]) == h; ++j) {
      const int32_t b = rowof(right[j]);
      if (std::none_of(distinct.begin(), distinct.end(),
                       [&](int32_t d) { return sametexts(u, d, u, b, count); })) {
        distinct.push_back(b);
      }
    }
    for (; i < left.size() && keyof(left[i]) == h; ++i) {
      const int32_t a = rowof(left[i]);
      found[static_cast<size_t>(a)] = std::any_of(distinct.begin(), distinct.end(), [&](int32_t b) {
        return sametexts(t, a, u, b, count);
      });
    }
  }
  return found;
}

}  // namespace

table database::minus(const querynode& n) {
  const table r = take(n.first);
  const table u = take(n.second);
  table t;
  t.name = r.name;
  t.addclones(r);
  const int32_t rows = t.rowcount();
  const int32_t count = t.columncount();
  // A second operand with fewer columns than the result matches no row.
  if (rows == 0 || u.rowcount() == 0 || u.columncount() < count) return t;
  const std::vector<bool> found = matched(t, u, count);
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < rows; ++row) {
    if (!found[static_cast<size_t>(row)]) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != rows) t.keeprows(kept);
  return t;
}

}  // namespace relalg
