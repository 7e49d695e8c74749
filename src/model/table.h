// The table: a name and an ordered list of shared columns of equal length.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/column.h"
#include "model/joinedrows.h"
#include "model/printedrows.h"
#include "model/readnotes.h"
#include "model/source.h"

namespace relalg {

// A value type: copies share their column objects, so a row changed through one copy is
// changed in all; the last table that refers to a column releases it.
class table {
 public:
  std::string name;
  std::vector<std::shared_ptr<column>> columns;
  // The input lines the rows print as, while every row prints exactly as its line: set when
  // a table is read whose rows all stood as printed, kept by keeprows and by clones of all
  // the columns into an empty table, dropped by any other change of the rows or columns.
  std::optional<printedrows> printed;
  // The operands' lines the rows print as, for a product or join of tables that print as
  // their lines: kept and dropped as printed is.
  std::optional<joinedrows> joined;

  // Reads one table definition and its rows; none when the end of the input comes before the
  // definition's first "(". The notes, when given, are told every rule applied silently.
  static std::optional<table> read(source& ip, readnotes* notes = nullptr);
  // Reads one column declaration of a header line; none when the input ends before its name.
  static std::shared_ptr<column> readcolumn(source& ip, readnotes* notes = nullptr);

  int32_t columncount() const { return static_cast<int32_t>(columns.size()); }
  int32_t rowcount() const { return columns.empty() ? 0 : columns.front()->size(); }
  // The first nonzero column comparison, in declaration order; 0 when all are equal.
  int comparerows(int32_t a, int32_t b) const;
  void swaprows(int32_t a, int32_t b);
  void eraserow(int32_t row);
  // Sorts the rows ascending and keeps one row of each run of equal rows.
  void sortunique();
  // Appends a column as it is; a missing column is refused, so every column stays usable.
  void addcolumn(std::shared_ptr<column> c);
  // A clone of the first column of that name, or none.
  std::shared_ptr<column> copycolumn(std::string_view label) const;

  // Appends a clone of every column of another table, by position, so that two columns of
  // one name each keep their own type and values.
  void addclones(const table& other);
  // Keeps the given rows in the given order, in every column.
  void keeprows(const std::vector<int32_t>& rows);
  // The rows in ascending order of comparerows, one of each set of equal rows: the row order
  // sortunique leaves, computed without changing the table.
  std::vector<int32_t> distinctrows() const;

 private:
  // The given rows (each once) in ascending order of comparerows, one of each set of equal rows.
  std::vector<int32_t> sortedunique(std::vector<int32_t> rows) const;
  // Read the rows up to an empty line or the end, and one row: each answers whether what it
  // read stood in the input exactly as the output prints it. Made twice: with `noted`, the
  // notes are told every rule applied; without, reading carries nothing of them.
  template <bool noted>
  bool readrows(source& ip, readnotes* notes, std::vector<uint32_t>& starts);
  template <bool noted>
  bool readrow(source& ip, readnotes* notes);
  // readrows without notes, over the lines of span; a large table on two threads.
  bool readrowsalongside(source& ip, const source::linespan& span, std::vector<uint32_t>& starts);
};

// Work that writes `rows` values into the column c.
struct columnwork {
  const column* c;
  size_t rows;
  std::function<void()> run;
};
// Runs every piece of work, on two threads when there are many rows: each column is written
// on its own, so the columns are dealt out by the bytes written (a text's value is twice an
// integer).
void workcolumns(const std::vector<columnwork>& work);

// One column to keep rows of, and the rows, in the order kept.
struct keeping {
  column* c;
  const std::vector<int32_t>* rows;
};
// Keeps the given rows of each column, on two threads when there are many.
void keepcolumns(const std::vector<keeping>& jobs);

}  // namespace relalg
