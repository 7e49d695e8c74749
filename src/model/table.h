// The table: a name and an ordered list of columns of equal length.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/column.h"
#include "model/rowlines.h"

namespace relalg {

// A value type: copies share their columns' values until one of them changes its own. The
// table's own row operations keep the lines its rows print as in step with the rows.
class table {
 public:
  std::string name;

  table() = default;
  explicit table(std::string label, std::vector<column> all = {},
                 std::optional<rowlines> printed = std::nullopt);

  const std::vector<column>& columns() const { return all; }
  int32_t columncount() const { return static_cast<int32_t>(all.size()); }
  int32_t rowcount() const { return all.empty() ? 0 : all.front().size(); }
  // The lines the rows print as, while every row prints exactly as lines of the input.
  const std::optional<rowlines>& lines() const { return printed; }

  // Appends a column; the rows have another column now, and print value by value.
  void addcolumn(column c);
  // Gives a column another name; its values and the rows' lines stay.
  void renamecolumn(size_t k, std::string label) { all[k].name = std::move(label); }

  // Keeps the given rows in the given order (a row may be named more than once).
  void gather(const std::vector<int32_t>& rows);
  // The rows in ascending order of their values, column by column, one of each set of equal
  // rows: the order of a sort that drops repeated rows, computed without changing the table.
  std::vector<int32_t> distinctrows() const;
  // Sorts the rows ascending and keeps one row of each set of equal rows.
  void sortunique();

  // The rows made of rows of parts: rows[p][i] is part p's row in row i. Named after the first
  // part, with every part's columns in order.
  static table combined(const std::vector<table>& parts, std::vector<std::vector<int32_t>> rows);

 private:
  std::vector<column> all;
  std::optional<rowlines> printed;

  // The given rows (each once) in ascending order of their values, one of each set of equal rows.
  std::vector<int32_t> sortedunique(std::vector<int32_t> rows) const;
};

}  // namespace relalg
