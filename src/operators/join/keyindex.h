// The rows of one operand of a join, found by the values they hold in the columns that
// equalities match against earlier operands' columns.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/column.h"
#include "model/rowgroups.h"

namespace relalg {

// One equality between an earlier operand's column (probe) and this operand's (build),
// compared as the condition compares it: as atoi readings of the quote-stripped texts when it
// compares integers (a column of integers gives its values as they are), otherwise as the
// quote-stripped texts.
struct keypart {
  int32_t probeslot = 0;
  const column* probe = nullptr;
  const column* build = nullptr;
  bool isint = false;
};

// The rows given, grouped by their key in the one hashed row set: each group's rows in the
// order given, so the rows matching a key come out in that order.
class keyindex {
 public:
  keyindex(const std::vector<int32_t>& rows, std::vector<keypart> keys);

  // The rows whose key is that of the bound rows (rows[slot]): [first, last).
  struct match {
    const int32_t* first = nullptr;
    const int32_t* last = nullptr;
  };
  match find(const int32_t* bound) const;

  // Whether every key part reads the first operand: its rows are known before the walk, and
  // their keys can be fetched ahead.
  bool probesfirst() const;
  // Fetches ahead, in two steps a few rows apart, what probing with that row of the first
  // operand will read: its key values, then a text's bytes and the set's slot of an integer.
  void fetchahead(int32_t row) const;
  void fetchnext(int32_t row) const;

 private:
  std::vector<keypart> parts;
  std::vector<column> keys;  // each part's key values of the rows given, in that order
  rowvalues keylists;
  rowgroups groups;              // of the rows given, by their keys
  std::vector<int32_t> members;  // the rows given, group by group

  uint64_t probehash(const int32_t* bound) const;
};

}  // namespace relalg
