// Difference: the first operand's rows that match no row of the second, in order, with
// repetitions; rows match when their value texts agree at every column position.
#include <algorithm>
#include <utility>

#include "model/intcolumn.h"
#include "model/keysort.h"
#include "model/texthash.h"
#include "query/database.h"

namespace relalg {

namespace {

// Which column positions of the two operands hold integers on both sides.
std::vector<bool> integerpairs(const table& t, const table& u, int32_t count) {
  std::vector<bool> both;
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    both.push_back(dynamic_cast<const intcolumn*>(t.columns[k].get()) &&
                   dynamic_cast<const intcolumn*>(u.columns[k].get()));
  }
  return both;
}

// Rows matched value by value: two columns of integers by their values, which agree exactly
// when their texts do; any other pair by the value texts.
class byvalues {
 public:
  byvalues(const table& t, const table& u, int32_t count) : integers(integerpairs(t, u, count)) {}

  // Each row's hash, a column at a time, so that each loop knows its column's type.
  std::vector<uint64_t> hashes(const table& x) const {
    std::vector<uint64_t> h(static_cast<size_t>(x.rowcount()), 0);
    for (size_t k = 0; k < integers.size(); ++k) {
      const column& c = *x.columns[k];
      if (integers[k]) {
        const auto& numbers = static_cast<const intcolumn&>(c);
        for (size_t row = 0; row < h.size(); ++row) {
          h[row] = hashnumber(numbers.at(static_cast<int32_t>(row)), h[row]);
        }
        continue;
      }
      intbuffer buffer;
      for (size_t row = 0; row < h.size(); ++row) {
        // Each text's hash goes into the next one's, with its length, so the pieces stay apart.
        const std::string_view text = c.valueview(static_cast<int32_t>(row), buffer);
        h[row] = hashtext(text, h[row] * 31 + text.size());
      }
    }
    return h;
  }

  bool same(const table& x, int32_t a, const table& y, int32_t b) const {
    for (size_t k = 0; k < integers.size(); ++k) {
      if (integers[k]) {
        if (static_cast<const intcolumn&>(*x.columns[k]).at(a) !=
            static_cast<const intcolumn&>(*y.columns[k]).at(b)) {
          return false;
        }
        continue;
      }
      intbuffer left;
      intbuffer right;
      if (x.columns[k]->valueview(a, left) != y.columns[k]->valueview(b, right)) return false;
    }
    return true;
  }

 private:
  std::vector<bool> integers;
};

// Rows matched by their input lines: when both operands print as their lines and have the
// same types at the same positions, rows match exactly when their lines are equal, since
// each type prints its values one to one and a line reads back one way only. A line is one
// piece of memory, where a row's values lie in as many columns.
class bylines {
 public:
  static bool fits(const table& t, const table& u) {
    if (!t.printed || !u.printed || t.columncount() != u.columncount()) return false;
    for (size_t k = 0; k < t.columns.size(); ++k) {
      if ((t.columns[k]->width() == 0) != (u.columns[k]->width() == 0)) return false;
    }
    return true;
  }

  std::vector<uint64_t> hashes(const table& x) const {
    std::vector<uint64_t> h(static_cast<size_t>(x.rowcount()));
    for (size_t row = 0; row < h.size(); ++row) {
      h[row] = hashbytes(x.printed->line(static_cast<int32_t>(row)));
    }
    return h;
  }

  bool same(const table& x, int32_t a, const table& y, int32_t b) const {
    return sametext(x.printed->line(a), y.printed->line(b));
  }
};

// Every row of x keyed by its hash, sorted by it.
template <typename rows>
std::vector<uint64_t> byhash(const table& x, const rows& match) {
  const std::vector<uint64_t> hashes = match.hashes(x);
  std::vector<uint64_t> words;
  words.reserve(hashes.size());
  for (size_t row = 0; row < hashes.size(); ++row) {
    words.push_back(keyed(static_cast<uint32_t>(hashes[row]), static_cast<int32_t>(row)));
  }
  std::vector<uint64_t> scratch;
  sortbykey(words, scratch);
  return words;
}

// The rows of t that match a row of u. Both sides are sorted by hash and walked together,
// so that only rows of one hash meet, and memory is read in sequence: a hash table of a
// large operand would be probed at random.
template <typename rows>
std::vector<bool> matched(const table& t, const table& u, const rows& match) {
  const std::vector<uint64_t> left = byhash(t, match);
  const std::vector<uint64_t> right = byhash(u, match);
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
                       [&](int32_t d) { return match.same(u, d, u, b); })) {
        distinct.push_back(b);
      }
    }
    for (; i < left.size() && keyof(left[i]) == h; ++i) {
      const int32_t a = rowof(left[i]);
      found[static_cast<size_t>(a)] = std::any_of(
          distinct.begin(), distinct.end(), [&](int32_t b) { return match.same(t, a, u, b); });
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
  const std::vector<bool> found =
      bylines::fits(t, u) ? matched(t, u, bylines()) : matched(t, u, byvalues(t, u, count));
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < rows; ++row) {
    if (!found[static_cast<size_t>(row)]) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != rows) t.keeprows(kept);
  return t;
}

}  // namespace relalg
