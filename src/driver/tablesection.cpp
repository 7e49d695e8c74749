// Reading the tables after the query section.
#include "driver/tablesection.h"

#include <utility>

namespace relalg {

void readtablesection(source& ip, std::vector<table>& tables,
                      std::vector<std::optional<std::string_view>>& rowsasread, readnotes* notes) {
  while (!ip.atend()) {
    std::optional<std::string_view> rows;
    if (auto t = table::read(ip, rows, notes)) {
      tables.push_back(std::move(*t));
      rowsasread.push_back(rows);
    }
    ip.skip();  // the line feed of the empty line after the table
    while (ip.peek() == '\n') ip.skip();
  }
}

}  // namespace relalg
