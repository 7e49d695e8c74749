// The phases of a run: reading, evaluating, writing.
#include "driver/run.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include "driver/largestack.h"
#include "driver/querysection.h"
#include "driver/tablesection.h"
#include "query/database.h"

namespace relalg {

namespace {

// Flushes the text buffer into the stream once it is this large, so output of any size is
// written in pieces, never held whole.
constexpr size_t flushsize = size_t{1} << 20;

void flush(std::string& out, std::ostream& op) {
  op.write(out.data(), static_cast<std::streamsize>(out.size()));
  out.clear();
}

void writetable(const table& t, std::string& out, std::ostream& op) {
  out += t.name;
  out += '(';
  for (size_t k = 0; k < t.columns.size(); ++k) {
    if (k > 0) out += ", ";
    out += t.columns[k]->name;
    out += ' ';
    out += t.columns[k]->typetext();
  }
  out += ")\n";
  if (t.printed) {
    // Rows that print as their input lines are copied: large runs straight to the stream.
    t.printed->print([&](std::string_view lines) {
      if (lines.size() >= flushsize) {
        flush(out, op);
        op.write(lines.data(), static_cast<std::streamsize>(lines.size()));
        return;
      }
      out += lines;
      if (out.size() >= flushsize) flush(out, op);
    });
    out += '\n';
    return;
  }
  const int32_t rows = t.rowcount();
  for (int32_t row = 0; row < rows; ++row) {
    for (size_t k = 0; k < t.columns.size(); ++k) {
      if (k > 0) out += ',';
      t.columns[k]->appendprinted(row, out);
    }
    out += '\n';
    if (out.size() >= flushsize) flush(out, op);
  }
  out += '\n';
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
  // A query deeper than the limit is never evaluated, so it needs no deeper stack.
  onlargestack(std::min(nesting::deepestof(kifejezes), nesting::maxnesting), [&] {
    const querytree tree(kifejezes);
    database w(run.tables);
    result = w.query(tree);
  });
  run.tables.push_back(std::move(result));
  return run;
}

void writeoutput(const evaluated& run, std::ostream& op) {
  std::string out = run.kiirandokifejezes;
  out += '\n';
  out.reserve(out.size() + flushsize + (flushsize >> 4));  // a row seldom overruns the flush size
  for (const table& t : run.tables) writetable(t, out, op);
  flush(out, op);
  op.flush();
}

std::string run(std::string_view input) {
  std::ostringstream op;
  writeoutput(evaluateinput(std::string(input)), op);
  return op.str();
}

}  // namespace relalg
