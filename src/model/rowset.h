// Rows held once for each set of equal values, found again by hash: the one hashed row set of
// distinct rows, differences and join keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/hashslots.h"
#include "model/rowvalues.h"

namespace relalg {

// A set holds the rows of one list of values in place, each known by its row there, and
// compares rows met with them there; or, made to keep copies, holds each row as a copy of its
// values, one after another, each known by its place in the order added, so that a row met
// again and again is compared with them in a few cache lines, not at random in its columns and
// the input. An integer takes four bytes; a text its length in two, then its bytes, or a mark
// and a view of its bytes when it is long.
class rowset {
 public:
  static constexpr size_t none = SIZE_MAX;

  // For rows of lists of these types: held in these lists, or kept as copies.
  enum class holding { inplace, copies };
  // Room for `rows` rows before the set first grows.
  rowset(const rowvalues& lists, holding how, size_t rows = 0)
      : types(lists.columns), source(how == holding::inplace ? &lists : nullptr), slots(rows) {}

  size_t size() const { return count; }

  // Holds row of from unless a row of its values is held; answers the number of the row held
  // with those values, and sets added when it is this one.
  size_t add(const rowvalues& from, size_t row, uint64_t hash, bool& added);

  // The number of the row held with the values of a row of lists of the same types, or none.
  size_t find(const rowvalues& from, size_t row, uint64_t hash) const {
    size_t at;
    if (!slots.find(
            hash, [&](size_t held) { return samerow(held, from, row); }, at))
      return none;
    return slots.row(at);
  }

  // The same for values given one column at a time: value(k, number, text) sets the number of
  // an integer column k, or the text of a text column.
  template <typename values>
  size_t lookup(uint64_t hash, values&& value) const {
    size_t at;
    if (!slots.find(
            hash, [&](size_t held) { return same(held, value); }, at))
      return none;
    return slots.row(at);
  }

  // Fetches ahead, in steps a few rows apart, what a search of a set held in place for a row of
  // this hash will read, since it lies at random: the slot where the search begins; then the
  // values of the row held there, when its tag agrees; then their texts' bytes.
  void fetch(uint64_t hash) const { slots.fetch(hash); }
  void fetchvalues(uint64_t hash) const {
    size_t held;
    if (!source || !slots.first(hash, held)) return;
    for (const columnvalues& c : source->columns) {
      if (c.integers) {
        __builtin_prefetch(&c.integers[held]);
      } else {
        __builtin_prefetch(c.textplace(held));
      }
    }
  }
  void fetchtexts(uint64_t hash) const {
    size_t held;
    if (!source || !slots.first(hash, held)) return;
    for (const columnvalues& c : source->columns) {
      if (!c.integers) __builtin_prefetch(c.text(held).data());
    }
  }

 private:
  static constexpr uint16_t longmark = 0xffff;
  // Texts longer than this are kept by reference: the copies stay a few cache lines each.
  static constexpr size_t inlinetext = 64;

  std::vector<columnvalues> types;  // whose integers or texts say each column's type
  const rowvalues* source;          // where the rows held stand; none: they are copied
  hashslots slots;                  // each holds the number of a row held
  size_t count = 0;
  std::string bytes;           // kept as copies: the values of the rows held
  std::vector<size_t> starts;  // where each row's values begin

  void put(const void* value, size_t size) { bytes.append(static_cast<const char*>(value), size); }

  template <typename value>
  static value take(const char*& at) {
    value v;
    std::memcpy(&v, at, sizeof v);
    at += sizeof v;
    return v;
  }

  // Whether the row held has the values of a row of lists of the same types.
  bool samerow(size_t held, const rowvalues& from, size_t row) const {
    if (source) {
      for (size_t k = 0; k < types.size(); ++k) {
        const columnvalues& x = source->columns[k];
        const columnvalues& y = from.columns[k];
        if (x.integers ? x.integers[held] != y.integers[row]
                       : !sametext(x.text(held), y.text(row))) {
          return false;
        }
      }
      return true;
    }
    const char* at = bytes.data() + starts[held];
    for (const columnvalues& c : from.columns) {
      if (c.integers) {
        if (take<int32_t>(at) != c.integers[row]) return false;
        continue;
      }
      const std::string_view text = c.text(row);
      const auto length = take<uint16_t>(at);
      if (length == longmark) {
        if (!sametext(take<std::string_view>(at), text)) return false;
        continue;
      }
      if (!sametext(std::string_view(at, length), text)) return false;
      at += length;
    }
    return true;
  }

  template <typename values>
  bool same(size_t held, values& value) const {
    if (source) {
      const size_t row = held;
      for (size_t k = 0; k < types.size(); ++k) {
        int32_t number = 0;
        std::string_view text;
        value(k, number, text);
        const columnvalues& c = source->columns[k];
        if (c.integers ? c.integers[row] != number : !sametext(c.text(row), text)) {
          return false;
        }
      }
      return true;
    }
    const char* at = bytes.data() + starts[held];
    for (size_t k = 0; k < types.size(); ++k) {
      int32_t number = 0;
      std::string_view text;
      value(k, number, text);
      if (types[k].integers) {
        if (take<int32_t>(at) != number) return false;
        continue;
      }
      const auto length = take<uint16_t>(at);
      if (length == longmark) {
        if (!sametext(take<std::string_view>(at), text)) return false;
        continue;
      }
      if (!sametext(std::string_view(at, length), text)) return false;
      at += length;
    }
    return true;
  }
};

// Each row's hash, worked in two halves at once when there are many.
std::vector<uint64_t> rowhashes(const rowvalues& rows);

// The first row of each set of equal rows, in row order; none as soon as more than most rows
// differ, or nearly all of the first few thousand: sorting all the rows costs less then.
std::optional<std::vector<int32_t>> firstdistinct(const rowvalues& rows, size_t most);

// For each row of one table, whether another holds a row of the same values (lists of the same
// types, hashed alike).
std::vector<uint8_t> heldin(const rowvalues& rows, const std::vector<uint64_t>& hashes,
                            const rowvalues& other, const std::vector<uint64_t>& otherhashes);

}  // namespace relalg
