// The fuzz target: one whole run on the fuzzer's bytes, with the output's head checked, its
// explanation, whose result must have the rows of relalg's, and its SQL script.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "driver/run.h"
#include "explain/explain.h"
#include "explain/jsonrender.h"
#include "explain/sql.h"
#include "explain/textrender.h"
#include "input/input.h"
#include "output/printbuffer.h"

namespace {

// Each product multiplies the row counts of its operands, so nested products grow the
// result exponentially with the input's length: a resource limit, not a fault. Inputs whose
// query calls product more than once are skipped to keep every run within the time limit.
bool nestsproducts(std::string_view query) {
  const size_t first = query.find("product(");
  return first != std::string_view::npos &&
         query.find("product(", first + 1) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const relalg::input in = relalg::readinput(std::string(input));
  if (nestsproducts(in.query)) return -1;  // not added to the corpus
  const relalg::table result = relalg::evaluatequery(in);
  std::ostringstream op;
  relalg::printbuffer out(op);
  relalg::writehead(in, out);
  relalg::writeresult(result, out);
  const std::string output = op.str();
  // Nothing of the query is lost: the output opens with its raw lines and one line feed.
  if (output.compare(0, in.querylines.size(), in.querylines) != 0 ||
      output.size() <= in.querylines.size() || output[in.querylines.size()] != '\n') {
    __builtin_trap();
  }
  // The explanation evaluates exactly as relalg does: its result has relalg's rows.
  const relalg::explanation e = relalg::explain(std::string(input), 3);
  if (e.nodes.front().rows != result.rowcount()) __builtin_trap();
  if (relalg::renderjson(e).empty() || relalg::rendertext(e).empty()) __builtin_trap();
  // The script is made for any input, and ends with its query's statement.
  const std::string script =
      relalg::sqlscript(std::string(input), {true, relalg::sqldialect::postgres});
  if (script.size() < 2 || script.compare(script.size() - 2, 2, ";\n") != 0) __builtin_trap();
  return 0;
}
