// A column: a name, a type, and the values of one attribute in row order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/copyonwrite.h"
#include "model/textint.h"
#include "model/textref.h"
#include "model/textstore.h"

namespace relalg {

// What a column holds: signed 32-bit integers, or texts declared char(N), N recorded and
// printed but never enforced.
class columntype {
 public:
  static columntype integer() { return columntype(true, 0); }
  static columntype text(int width) { return columntype(false, width); }

  bool holdsintegers() const { return integers; }
  int width() const { return declared; }
  // Whether conditions compare the column's values as integers: an integer column, and a text
  // column declared with width 0, which has always compared so.
  bool comparesasinteger() const { return declared == 0; }
  // As a table header writes it: int, or char(N).
  std::string typetext() const;

  bool operator==(const columntype& other) const {
    return integers == other.integers && declared == other.declared;
  }
  bool operator!=(const columntype& other) const { return !(*this == other); }

 private:
  columntype(bool holdsintegers, int width) : integers(holdsintegers), declared(width) {}
  bool integers;
  int declared;
};

// A value type: copies share their values until one of them changes its own. Rows are
// numbered from 0 and every row argument must be below size().
class column {
 public:
  std::string name;

  column(std::string label, columntype type) : name(std::move(label)), kind(type) {}

  const columntype& type() const { return kind; }
  int32_t size() const;

  // The values, for the loops over many rows: of an integer column, or of a text column.
  const std::vector<int32_t>& integers() const { return numbers.get(); }
  const std::vector<textref>& texts() const { return words.get(); }

  // The value as plain text, as values move between tables and are compared: an integer's
  // digits written into the buffer, or a view of the stored text.
  std::string_view valueview(int32_t row, intbuffer& buffer) const;
  // The value as the output prints it: an integer's digits, a text between single quotes.
  std::string printvalue(int32_t row) const;

  // Appends a value given as plain text: an integer column reads it as atoi would.
  void addvalue(std::string_view text);
  // The lists that read values are appended to directly: an integer column's, or a text
  // column's for texts that lie in `bytes`, which the column then keeps alive.
  std::vector<int32_t>& integerlist() { return numbers.edit(); }
  std::vector<textref>& textlist(const std::shared_ptr<const std::string>& bytes);
  // Makes room for this many values in all.
  void reserve(int32_t rows);

  // Keeps the given rows in the given order (a row may be named more than once).
  void gather(const std::vector<int32_t>& rows);
  // Appends every value of a column of the same type.
  void append(const column& other);
  // Holds instead, for each pick, the value of a row of first (the row pick) or of second (the
  // row -1 - pick), both columns of this same type: two lists of rows merged.
  void pick(const column& first, const column& second, const std::vector<int32_t>& picks);
  // This column's values as a column of another type holds them, passed through their text:
  // an integer becomes its digits, a text its atoi reading. The same type gives the same values.
  column convertedto(columntype type) const;
  // The same name and type, without values.
  column emptycopy() const { return column(name, kind); }

  // One key for each of the given rows, in the order of the rows' values: equal keys for equal
  // values, so rows can be sorted by counting instead of by comparing.
  std::vector<uint32_t> sortkeys(const std::vector<int32_t>& rows) const;

 private:
  columntype kind;
  copyonwrite<int32_t> numbers;  // an integer column's values
  copyonwrite<textref> words;    // a text column's values
  textstore bytes;               // what the texts refer to
};

}  // namespace relalg
