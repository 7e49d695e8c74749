// Finding a table's distinct rows by hashing whole rows: quick when they are few.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/table.h"

namespace relalg {

// The first row of each set of equal rows, in row order; none as soon as more than most
// rows differ, or nearly all of the first few thousand: sorting all the rows then costs less
// than hashing them.
std::optional<std::vector<int32_t>> firstdistinct(const table& t, size_t most);

}  // namespace relalg
