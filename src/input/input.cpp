// Reading a whole input: the query section, then the tables.
#include "input/input.h"

#include <utility>

#include "input/querysection.h"
#include "input/source.h"
#include "input/tables.h"

namespace relalg {

input readinput(std::string bytes, readnotes* notes) {
  source ip(std::move(bytes));
  querysection q = readquerysection(ip);
  input in;
  in.querylines = std::move(q.written);
  in.query = std::move(q.query);
  in.linestarts = std::move(q.linestarts);
  in.tables = readtables(ip, notes);
  in.bytes = ip.bytes();
  return in;
}

}  // namespace relalg
