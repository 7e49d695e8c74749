// Difference: the first operand's rows that match no row of the second, in order, with
// repetitions; rows match when their value texts agree at every column position.
#include <algorithm>
#include <typeinfo>
#include <utility>

#include "model/alongside.h"
#include "model/intcolumn.h"
#include "model/tagset.h"
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
    // The same type, not the same width: a char(0) column prints its values quoted.
    for (size_t k = 0; k < t.columns.size(); ++k) {
      const column& a = *t.columns[k];
      const column& b = *u.columns[k];
      if (typeid(a) != typeid(b)) return false;
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

// The distinct rows of u in a hash set; the rows of t are then looked up in their own order,
// so that their values are read in sequence, and only a row whose hash's upper half is met is
// compared, with the row of u it may match. The set is two, by the lowest bit of the hash, so
// that many rows are put in on two threads at once.
class distinctset {
 public:
  template <typename rows>
  distinctset(const table& u, const std::vector<uint64_t>& hashes, const rows& match)
      : parts{tagset(hashes.size() / 2), tagset(hashes.size() / 2)} {
    alongsidewhen(
        hashes.size() >= splitfrom, [&] { fill(u, hashes, match, 0); },
        [&] { fill(u, hashes, match, 1); });
  }

  // Marks which of the rows from first up to last of t match a row of u.
  template <typename rows>
  void mark(const table& t, const table& u, const std::vector<uint64_t>& hashes, const rows& match,
            size_t first, size_t last, std::vector<uint8_t>& found) const {
    for (size_t a = first; a < last; ++a) {
      const auto row = static_cast<int32_t>(a);
      size_t at;
      found[a] = parts[hashes[a] & 1].find(
          hashes[a], [&](size_t d) { return match.same(t, row, u, in(d)); }, at);
    }
  }

 private:
  tagset parts[2];

  static int32_t in(size_t row) { return static_cast<int32_t>(row); }

  // Puts the distinct rows of u whose hash ends in the bit part into that part.
  template <typename rows>
  void fill(const table& u, const std::vector<uint64_t>& hashes, const rows& match, size_t part) {
    tagset& distinct = parts[part];
    for (size_t b = 0; b < hashes.size(); ++b) {
      if ((hashes[b] & 1) != part) continue;
      const auto row = static_cast<int32_t>(b);
      size_t at;
      // A repeated row is kept once, so no run of equals lengthens a search.
      if (!distinct.find(
              hashes[b], [&](size_t d) { return match.same(u, in(d), u, row); }, at)) {
        distinct.add(at, hashes[b], b);
      }
    }
  }
};

// Which rows of t match a row of u. Many rows are hashed one table on each thread and looked
// up in two halves at once, the set only read then.
template <typename rows>
std::vector<uint8_t> matched(const table& t, const table& u, const rows& match) {
  std::vector<uint64_t> thashes;
  std::vector<uint64_t> uhashes;
  const auto count = static_cast<size_t>(t.rowcount());
  alongsidewhen(
      count + static_cast<size_t>(u.rowcount()) >= splitfrom, [&] { thashes = match.hashes(t); },
      [&] { uhashes = match.hashes(u); });
  const distinctset set(u, uhashes, match);
  std::vector<uint8_t> found(count);
  const size_t half = count / 2;
  alongsidewhen(
      count >= splitfrom, [&] { set.mark(t, u, thashes, match, 0, half, found); },
      [&] { set.mark(t, u, thashes, match, half, count, found); });
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
  const std::vector<uint8_t> found =
      bylines::fits(t, u) ? matched(t, u, bylines()) : matched(t, u, byvalues(t, u, count));
  std::vector<int32_t> kept;
  for (int32_t row = 0; row < rows; ++row) {
    if (!found[static_cast<size_t>(row)]) kept.push_back(row);
  }
  if (static_cast<int32_t>(kept.size()) != rows) t.keeprows(kept);
  return t;
}

}  // namespace relalg
