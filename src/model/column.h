// The abstract column: a name, a type and the values of one attribute in row order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/readflags.h"
#include "model/source.h"
#include "model/textint.h"

namespace relalg {

class column {
 public:
  std::string name;

  column() = default;
  explicit column(std::string label) : name(std::move(label)) {}
  virtual ~column() = default;

  // The declared text width; 0 for an integer column. Other code tells the types apart by it.
  virtual int width() const = 0;
  // The type as written in a table header.
  virtual std::string typetext() const = 0;
  // The value as written in the output file.
  virtual std::string printvalue(int32_t row) const = 0;
  // The value as plain text, as values move between tables and are compared.
  virtual std::string value(int32_t row) const = 0;
  // Appends one value given as plain text.
  virtual void addvalue(std::string_view text) = 0;
  // Reads one value from the input and appends it; the separator after it stays in the input.
  // Answers how the value stood there: no flag when exactly as printvalue prints it.
  virtual readflags readvalue(source& ip) = 0;
  virtual int32_t size() const = 0;
  // A new column of the same type, name, width and values.
  virtual std::shared_ptr<column> clone() const = 0;
  virtual void eraserow(int32_t row) = 0;
  // Negative, zero or positive as the value of row1 is below, equal to or above that of row2.
  virtual int comparerows(int32_t row1, int32_t row2) const = 0;
  virtual void swaprows(int32_t row1, int32_t row2) = 0;

  // Faster forms of the operations above, for tables of a million rows.
  // Keeps the given rows in the given order (a row may be named more than once).
  virtual void keeprows(const std::vector<int32_t>& rows) = 0;
  // `value` without building a string: a view of the stored text, or digits in the buffer.
  virtual std::string_view valueview(int32_t row, intbuffer& buffer) const = 0;
  // Makes room for this many values in all.
  virtual void reserve(int32_t rows) = 0;
  // One key for each of the given rows, whose order among them is the order of comparerows:
  // equal keys for equal values, so rows can be sorted by counting instead of by comparing.
  virtual std::vector<uint32_t> sortkeys(const std::vector<int32_t>& rows) const = 0;
  // Appends every value of another column of this same type, unchanged.
  virtual void appendall(const column& other) = 0;
  // Holds instead, for each pick, the value of a row of first (the row pick) or of second
  // (the row -1 - pick), both columns of this same type: two lists of rows merged.
  virtual void pickrows(const column& first, const column& second,
                        const std::vector<int32_t>& picks) = 0;
};

// An empty column of the same type, name and width as c.
inline std::shared_ptr<column> emptylike(const column& c) {
  auto empty = c.clone();
  empty->keeprows({});
  return empty;
}

}  // namespace relalg
