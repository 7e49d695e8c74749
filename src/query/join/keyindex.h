// The rows of one operand of a product, found by the values they hold in the columns that
// equality conditions match against earlier operands.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "condition/condition.h"
#include "model/charcolumn.h"
#include "model/intcolumn.h"

namespace relalg {

// One equality between an earlier operand's column (probe) and this operand's (build),
// compared as the condition compares it: as integers or as texts.
struct keypart {
  boundcolumn probe;
  boundcolumn build;
  bool isint = false;
};

// One column's values as an equality compares them: atoi readings of the quote-stripped
// texts when it compares integers (a column of integers gives its values as they are),
// otherwise the quote-stripped texts.
class keyreader {
 public:
  keyreader(const column& c, bool isint);

  int32_t number(int32_t row) const;
  std::string_view text(int32_t row, intbuffer& buffer) const;
  bool isint() const { return asint; }
  // Whether the column holds integers: compared as texts, they are written out when compared.
  bool holdsintegers() const { return numbers != nullptr; }
  // Fetches a row's value ahead of its reading: its place in the column, and (once that has
  // arrived) the bytes of a text.
  void fetchvalue(int32_t row) const;
  void fetchtext(int32_t row) const;

 private:
  const column* c;
  const intcolumn* numbers;  // c when it holds integers
  const charcolumn* texts;   // c when it holds texts
  bool asint;
};

// The key that the bound rows of the earlier operands give, read once per lookup.
struct probekey {
  std::vector<int32_t> numbers;         // per key part compared as integers
  std::vector<std::string_view> texts;  // per key part compared as texts
  struct digits {
    intbuffer buffer;
  };
  std::vector<digits> written;  // the digits of integers compared as texts
  uint32_t hash = 0;
};

// A hash index: the rows sorted by the hash of their key, each run of one hash found through
// an open-addressing table. Within a run rows keep their given order, so the rows matching a
// key come out in the order they were given.
class keyindex {
 public:
  keyindex(const std::vector<int32_t>& rows, const std::vector<keypart>& keys);

  // Reads the key of the bound rows (rows[slot]) into `key`, and answers the entries whose
  // key hashes alike: [first, second).
  std::pair<size_t, size_t> candidates(const int32_t* rows, probekey& key) const;
  // Whether an entry's key equals the probed key, and not only its hash.
  bool matches(size_t entry, const probekey& key) const;
  int32_t row(size_t entry) const { return given[entries[entry] & 0xffffffffu]; }

  // A probe key sized for this index.
  probekey newkey() const;

  // Whether every key part reads the first operand: its rows are known before the walk, and
  // their keys can be fetched ahead.
  bool probesfirst() const;
  // Fetches ahead, in two steps a few rows apart, what probing with that row of the first
  // operand will read: its key values, then a text's bytes and the index slot of an integer.
  void fetchahead(int32_t row) const;
  void fetchnext(int32_t row) const;

 private:
  std::vector<keyreader> builds;
  std::vector<keyreader> probes;
  std::vector<int32_t> probeslots;
  std::vector<int32_t> given;
  // Hash above, position in `given` below, sorted: equal hashes keep the given order.
  std::vector<uint64_t> entries;
  // Each key part's values in entry order: integers, or texts (for texts of integer columns,
  // the integers, written out when compared).
  std::vector<std::vector<int32_t>> numbers;
  std::vector<std::vector<std::string_view>> texts;
  struct run {
    uint32_t hash = 0;
    uint32_t first = 0;
    uint32_t count = 0;  // 0: an empty slot
  };
  std::vector<run> slots;

  size_t slotof(uint32_t hash) const;
};

}  // namespace relalg
