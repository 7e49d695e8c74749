// The phases of a run: reading, evaluating, writing.
#include "driver/run.h"

#include <sstream>
#include <utility>

#include "driver/printbuffer.h"
#include "driver/querysection.h"
#include "driver/rowsalongside.h"
#include "driver/tablesection.h"
#include "query/database.h"

namespace relalg {

namespace {

// Input lines of this many bytes or more in one piece are written without copying.
constexpr size_t directfrom = size_t{1} << 16;

// Prints count rows of a table's values or of its operands' lines; split, on two threads.
template <typename rows>
void putall(const rows& from, size_t count, bool split, printbuffer& out) {
  putrowsalongside(
      count, split,
      [&](printbuffer& into, size_t first, size_t last) { into.putrows(from, first, last); }, out);
}

// Prints a table; split, its rows may be printed on two threads.
void writetable(const table& t, printbuffer& out, bool split) {
  out.put(t.name);
  out.put('(');
  for (size_t k = 0; k < t.columns.size(); ++k) {
    if (k > 0) out.put(", ");
    out.put(t.columns[k]->name);
    out.put(' ');
    out.put(t.columns[k]->typetext());
  }
  out.put(")\n");
  if (t.printed) {
    // Rows that print as their input lines are copied; many lines at once go to the stream
    // straight from the input, without passing through the buffer.
    t.printed->print([&](std::string_view lines) {
      if (lines.size() >= directfrom) {
        out.putprinted(lines);
      } else {
        out.put(lines);
      }
    });
  } else if (t.joined) {
    putall(*t.joined, t.joined->rowcount(), split, out);
  } else {
    const rowlists from(t);
    putall(from, from.rows, split, out);
  }
  out.put('\n');
}

}  // namespace

parsed readwhole(std::string input) {
  parsed in;
  source ip(std::move(input));
  querysection q = readquerysection(ip);
  in.kiirandokifejezes = std::move(q.kiirandokifejezes);
  in.kifejezes = std::move(q.kifejezes);
  readtablesection(ip, in.tables);
  return in;
}

table evaluatequery(const parsed& in) {
  // The database holds copies of the input tables only: a query never sees its own result.
  // Copies share the input tables' values, and every change gives the copy its own.
  const querytree tree(in.kifejezes);
  database w(in.tables);
  return w.query(tree);
}

void writehead(const parsed& in, printbuffer& out) {
  out.put(in.kiirandokifejezes);
  out.put('\n');
  for (const table& t : in.tables) writetable(t, out, false);
}

void writeresult(const table& result, printbuffer& out) {
  writetable(result, out, true);
  out.flush();
}

std::string run(std::string_view input) {
  std::ostringstream op;
  const parsed in = readwhole(std::string(input));
  printbuffer out(op);
  writehead(in, out);
  writeresult(evaluatequery(in), out);
  return op.str();
}

}  // namespace relalg
