// The phases of a run: reading, evaluating, writing.
#include "driver/run.h"

#include <sstream>
#include <utility>

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

void writetable(const table& t, const std::optional<std::string_view>& rowsasread, std::string& out,
                std::ostream& op) {
  out += t.name;
  out += '(';
  for (size_t k = 0; k < t.columns.size(); ++k) {
    if (k > 0) out += ", ";
    out += t.columns[k]->name;
    out += ' ';
    out += t.columns[k]->typetext();
  }
  out += ")\n";
  if (rowsasread) {
    flush(out, op);
    op.write(rowsasread->data(), static_cast<std::streamsize>(rowsasread->size()));
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
    run.input = ip.bytes();
    readtablesection(ip, run.tables, run.rowsasread);
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
  std::string out = run.kiirandokifejezes;
  out += '\n';
  out.reserve(out.size() + flushsize + (flushsize >> 4));  // a row seldom overruns the flush size
  for (size_t i = 0; i < run.tables.size(); ++i) {
    writetable(run.tables[i], i < run.rowsasread.size() ? run.rowsasread[i] : std::nullopt, out,
               op);
  }
  flush(out, op);
  op.flush();
}

std::string run(std::string_view input) {
  std::ostringstream op;
  writeoutput(evaluateinput(std::string(input)), op);
  return op.str();
}

}  // namespace relalg
