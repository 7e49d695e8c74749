// Reading the tables after the query section.
#include "driver/tablesection.h"

#include <utility>

namespace relalg {

void readtablesection(source& ip, std::vector<table>& tables, readnotes* notes) {
  while (!ip.atend()) {
    if (auto t = table::read(ip, notes)) tables.push_back(std::move(*t));
    ip.skip();  // the line feed of the empty line after the table
    while (ip.peek() == '\n') ip.skip();
  }
}

}  // namespace relalg
