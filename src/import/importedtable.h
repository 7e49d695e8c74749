// A table on its way into relalg's input: its name, its columns and their types, its values.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace relalgimport {

// What the input format cannot hold, said with the file, row and column: nothing is written.
class refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the command line asks to write in place of what the format cannot hold.
struct importoptions {
  std::optional<std::string> quote;  // for each single quote inside a value
  std::optional<std::string> null;   // for SQL NULL
};

struct importedcolumn {
  std::string name;
  bool integers = true;  // every value reads back as an int
  size_t width = 0;      // the longest value in bytes
};

struct importedtable {
  std::string name;
  std::string origin;  // the file, and the table of a database, for messages
  std::vector<importedcolumn> columns;
  // The values row by row, column by column, each followed by a NUL byte, which no value holds.
  std::string values;
  size_t count = 0;  // of values

  importedtable(std::string name, std::string origin, const importoptions& options);

  // Names the columns; refused when relalg would not read a name back.
  void namecolumns(std::vector<std::string> names);
  // Appends the next value, that of column k of the last row. maybeint: the value may count
  // as an int (an SQLite text that looks like one does not).
  void add(size_t k, std::string_view value, bool maybeint);
  // Appends an SQL NULL as the text --null gives; refused without it.
  void addnull(size_t k);

  size_t rowcount() const { return columns.empty() ? 0 : count / columns.size(); }
  // Where the value of column k of the row being added stands, for a message.
  std::string at(size_t k) const;

 private:
  const importoptions* options;
  void addflawed(size_t k, std::string_view value, size_t flaw);
};

// The name with its control bytes written as escapes, for a message.
std::string shown(std::string_view name);

// Refuses a second table of the same name: relalg would only ever find the first.
void refuserepeatednames(const std::vector<importedtable>& tables);

}  // namespace relalgimport
