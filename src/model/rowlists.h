// A table's columns as plain lists of values, for loops over many rows without a call per value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/table.h"
#include "model/textref.h"

namespace relalg {

// Views of the columns' values: valid while the table's columns do not change.
struct rowlists {
  // Each column's values: integers or texts, the other null.
  struct list {
    const int32_t* numbers = nullptr;
    const textref* texts = nullptr;
  };
  std::vector<list> columns;
  size_t rows;

  explicit rowlists(const table& t);
};

}  // namespace relalg
