// The values of a table's columns as plain lists, read row by row without a call per value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/column.h"
#include "model/rowhash.h"

namespace relalg {

// One column's values: integers or texts, the other null.
struct columnvalues {
  const int32_t* integers = nullptr;
  const textref* texts = nullptr;
};

// Valid while the columns do not change.
struct rowvalues {
  std::vector<columnvalues> columns;
  size_t rows = 0;

  // The first `count` of the columns (all of them by default).
  explicit rowvalues(const std::vector<column>& all, size_t count = SIZE_MAX);

  uint64_t hash(size_t row) const {
    rowhasher h;
    for (const columnvalues& c : columns) {
      if (c.integers) {
        h.addinteger(c.integers[row]);
      } else {
        h.addtext(c.texts[row].view());
      }
    }
    return h.hash();
  }

  // Negative, zero or positive as row a of these is below, equal to or above row b of other
  // lists of the same types: integers by number, texts by bytes, the first column first.
  int compare(size_t a, const rowvalues& other, size_t b) const;
};

}  // namespace relalg
