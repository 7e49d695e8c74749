// The phases of a run: reading, evaluating, writing.
#include "driver/run.h"

#include <sstream>
#include <utility>

#include "driver/printbuffer.h"
#include "driver/querysection.h"
#include "driver/tablesection.h"
#include "query/database.h"

namespace relalg {

namespace {

void writetable(const table& t, printbuffer& out) {
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
    // Rows that print as their input lines are copied.
    t.printed->print([&](std::string_view lines) { out.put(lines); });
  } else {
    out.putrows(t);
  }
  out.put('\n');
}

}  // namespace

evaluated evaluateinput(std::string input) {
  evaluated run;
  std::string kifejezes;
  {
    source ip(std::move(input));
    querysection q = readquerysection(ip);
    run.kiirandokifejezes = std::move(q.kiirandokifejezes);
    kifejezes = std::move(q.kifejezes);
    readtablesection(ip, run.tables);
  }
  // The database holds copies of the input tables only: a query never sees its own result.
  table result;
  {
    const querytree tree(kifejezes);
    database w(run.tables);
    result = w.query(tree);
  }
  run.tables.push_back(std::move(result));
  return run;
}

void writeoutput(const evaluated& run, std::ostream& op) {
  printbuffer out(op);
  out.put(run.kiirandokifejezes);
  out.put('\n');
  for (const table& t : run.tables) writetable(t, out);
  out.flush();
  op.flush();
}

std::string run(std::string_view input) {
  std::ostringstream op;
  writeoutput(evaluateinput(std::string(input)), op);
  return op.str();
}

}  // namespace relalg
