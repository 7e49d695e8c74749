// The rows of some lists grouped by equal values, each group's rows in row order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/rowset.h"
#include "model/rowvalues.h"

namespace relalg {

// Groups are numbered from 0 in the order their first rows stand. The lists must outlive the
// groups.
class rowgroups {
 public:
  static constexpr size_t none = SIZE_MAX;

  explicit rowgroups(const rowvalues& rows);

  size_t count() const { return starts.size() - 1; }
  uint32_t groupof(size_t row) const { return group[row]; }
  // The rows of a group: [first, last).
  const uint32_t* first(size_t g) const { return members.data() + starts[g]; }
  const uint32_t* last(size_t g) const { return members.data() + starts[g + 1]; }

  // The group of the rows that hold the values of a row of other lists of the same types, or
  // none.
  size_t find(const rowvalues& other, size_t row) const {
    const size_t held = set.find(other, row, other.hash(row));
    return held == rowset::none ? none : group[held];
  }
  // The same for values given one column at a time (see rowset::lookup), hashed alike.
  template <typename values>
  size_t lookup(uint64_t hash, values&& value) const {
    const size_t held = set.lookup(hash, value);
    return held == rowset::none ? none : group[held];
  }
  // Starts fetching where a search for this hash begins.
  void fetch(uint64_t hash) const { set.fetch(hash); }

 private:
  rowset set;                     // held in place: each group known by its first row
  std::vector<uint32_t> group;    // each row's
  std::vector<uint32_t> starts;   // where each group's rows begin in members; one more: the end
  std::vector<uint32_t> members;  // the rows, group by group
};

}  // namespace relalg
