// The fuzz target of relalg-check: the input's query checked against itself and against a
// mutation of itself on the input's tables; every difference found must show on its
// counterexample, which is never larger than the database it was cut from.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "check/check.h"
#include "check/report.h"
#include "driver/run.h"
#include "input/input.h"

namespace {

// As in the run's target: nested products grow exponentially with the input, a resource
// limit rather than a fault.
bool nestsproducts(std::string_view query) {
  const size_t first = query.find("product(");
  return first != std::string_view::npos &&
         query.find("product(", first + 1) != std::string_view::npos;
}

// One of the mistakes a student makes, chosen by the input's size: a comparison, a
// connective or a set operator swapped for its neighbour. The query is returned unchanged
// when it holds none of them.
std::string mutated(std::string query, size_t choice) {
  static const std::array<std::pair<std::string_view, std::string_view>, 10> swaps{
      {{"NEQ(", "EQ("},
       {"EQ(", "NEQ("},
       {"LTE(", "LT("},
       {"LT(", "LTE("},
       {"GTE(", "GT("},
       {"GT(", "GTE("},
       {"AND(", "OR("},
       {"OR(", "AND("},
       {"minus(", "union("},
       {"union(", "minus("}}};
  for (size_t tried = 0; tried < swaps.size(); ++tried) {
    const auto& [from, to] = swaps[(choice + tried) % swaps.size()];
    const size_t at = query.find(from);
    if (at == std::string::npos) continue;
    query.replace(at, from.size(), to);
    return query;
  }
  return query;
}

int64_t rowsin(const std::vector<relalg::table>& tables) {
  int64_t rows = 0;
  for (const relalg::table& t : tables) rows += static_cast<int64_t>(t.rowcount());
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const relalg::input in =
      relalg::readinput(std::string(reinterpret_cast<const char*>(data), size));
  if (nestsproducts(in.query)) return -1;  // not added to the corpus
  const std::vector<relalg::dataset> databases{{"input", in.tables}};
  relalg::checkoptions options;
  options.generate = 3;
  // A query always agrees with itself, given and generated databases alike.
  if (relalg::check(in.query, in.query, databases, options).differs) __builtin_trap();

  const std::string other = mutated(in.query, size);
  const relalg::checked c = relalg::check(in.query, other, databases, options);
  if (!c.differs) return 0;
  const relalg::counterexample& found = *c.differs;
  if (found.rows != rowsin(found.tables)) __builtin_trap();
  if (found.database == "input" && found.rows > rowsin(in.tables)) __builtin_trap();
  // The counterexample, read back as the student would run it, shows the difference claimed.
  relalg::input on = relalg::readinput(relalg::counterexamplefile(other + '\n', found));
  const relalg::table given = relalg::evaluatequery(on);
  on.query = in.query;
  const relalg::table answered = relalg::evaluatequery(on);
  if (relalg::difference(answered, given, false) != found.reason) __builtin_trap();
  return 0;
}
