// The values of a table's columns as plain lists, read row by row without a call per value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/column.h"
#include "model/rowhash.h"
#include "model/rowlines.h"

namespace relalg {

// One column's values: integers, or texts; the texts held as textrefs, or the lines of a table
// read as printed (row i runs from linebase + linestarts[i] to the line feed before the next).
struct columnvalues {
  const int32_t* integers = nullptr;
  const textref* texts = nullptr;
  const char* linebase = nullptr;
  const uint32_t* linestarts = nullptr;

  std::string_view text(size_t row) const {
    if (texts) return texts[row].view();
    return {linebase + linestarts[row], linestarts[row + 1] - linestarts[row] - 1};
  }
  // Where a row's text lies, before it is read.
  const void* textplace(size_t row) const {
    return texts ? static_cast<const void*>(&texts[row]) : &linestarts[row];
  }
};

// Valid while the columns do not change.
struct rowvalues {
  std::vector<columnvalues> columns;
  size_t rows = 0;

  // The first `count` of the columns (all of them by default).
  explicit rowvalues(const std::vector<column>& all, size_t count = SIZE_MAX);
  // A table's whole rows as one text each: the lines of a table read as printed, in order.
  explicit rowvalues(const inputlines& lines);

  uint64_t hash(size_t row) const {
    rowhasher h;
    for (const columnvalues& c : columns) {
      if (c.integers) {
        h.addinteger(c.integers[row]);
      } else {
        h.addtext(c.text(row));
      }
    }
    return h.hash();
  }

  // Negative, zero or positive as row a of these is below, equal to or above row b of other
  // lists of the same types: integers by number, texts by bytes, the first column first.
  int compare(size_t a, const rowvalues& other, size_t b) const;
};

}  // namespace relalg
