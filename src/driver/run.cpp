// The phases of a run: reading, evaluating, writing.
#include "driver/run.h"

#include <sstream>
#include <utility>

#include "operators/evaluator.h"
#include "output/tablewriter.h"
#include "plan/plan.h"
#include "tree/querytree.h"

namespace relalg {

table evaluatequery(const input& in) {
  // The query sees the input tables only, never its own result. Its steps share the input
  // tables' values, and every change gives a step its own.
  const querytree tree(in.query);
  return evaluator(in.tables).evaluate(tree, buildplan(tree, in.tables));
}

void writehead(const input& in, printbuffer& out) {
  out.put(in.querylines);
  out.put('\n');
  for (const table& t : in.tables) writetable(t, out, false);
}

void writeresult(const table& result, printbuffer& out) {
  writetable(result, out, true);
  out.flush();
}

std::string run(std::string_view bytes) {
  std::ostringstream op;
  const input in = readinput(std::string(bytes));
  printbuffer out(op);
  writehead(in, out);
  writeresult(evaluatequery(in), out);
  return op.str();
}

}  // namespace relalg
