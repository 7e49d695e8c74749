// Reading the answer, the databases and the inputs, checking each input, and noting what
// relalg-explain notes of its query.
#include "check/checkrun.h"

#include <chrono>
#include <new>
#include <sstream>

#include "explain/everynote.h"
#include "explain/explain.h"
#include "input/input.h"
#include "output/printbuffer.h"
#include "output/tablewriter.h"

namespace relalg {

namespace {

// The tables as the output prints them, one after another.
std::string printed(const std::vector<table>& tables) {
  std::ostringstream op;
  printbuffer out(op);
  for (const table& t : tables) writetable(t, out, false);
  out.flush();
  return op.str();
}

// What relalg-explain notes of a query over the answer's tables, each with its line.
std::vector<std::string> querynotes(const std::string& querylines,
                                    const std::vector<table>& tables) {
  // A file holding only its query may end without the line feed that ends the query section.
  const bool ended = !querylines.empty() && querylines.back() == '\n';
  const explanation e = explainfornotes(querylines + (ended ? "\n" : "\n\n") + printed(tables));
  std::vector<std::string> notes;
  for (const placednote& n : everynote(e)) {
    // The tables are the answer's, read as the answer reads them: their notes are not the
    // query's.
    if (n.about == "table") continue;
    notes.push_back((n.line > 0 ? "line " + std::to_string(n.line) + ": " : "") +
                    std::string(n.text));
  }
  return notes;
}

}  // namespace

std::optional<std::vector<checkentry>> checkall(const givenfile& answer,
                                                const std::vector<givenfile>& tables,
                                                const std::vector<givenfile>& inputs,
                                                const checkoptions& options, std::string& refused) {
  if (!answer.bytes) {
    refused = "cannot read " + answer.name + ": " + answer.unreadable;
    return std::nullopt;
  }
  const input reference = readinput(*answer.bytes);
  if (reference.tables.empty()) {
    refused = answer.name + " holds no table to check queries on";
    return std::nullopt;
  }
  std::vector<dataset> databases{{answer.name, reference.tables}};
  for (const givenfile& more : tables) {
    if (more.bytes) databases.push_back({more.name, readinput(*more.bytes).tables});
  }
  const std::string databasetext = printed(reference.tables);
  std::vector<checkentry> entries;
  for (const givenfile& given : inputs) {
    checkentry e;
    e.input = given.name;
    if (!given.bytes) {
      e.verdict = "error";
      e.error = "cannot read " + given.name + ": " + given.unreadable;
      entries.push_back(std::move(e));
      continue;
    }
    const auto start = std::chrono::steady_clock::now();
    const input in = readinput(*given.bytes);
    if (!in.tables.empty() && printed(in.tables) != databasetext) {
      e.notes.push_back("its tables differ from the answer's: the answer's are used");
    }
    try {
      const std::vector<std::string> more = querynotes(in.querylines, reference.tables);
      e.notes.insert(e.notes.end(), more.begin(), more.end());
      e.result = check(reference.query, in.query, databases, options);
    } catch (const std::bad_alloc&) {
      // One query too large to evaluate leaves the others to be checked.
      e.verdict = "error";
      e.error = given.name + ": the query's result does not fit in memory";
      entries.push_back(std::move(e));
      continue;
    }
    e.verdict = e.result.differs ? "differs" : "same";
    if (e.result.differs) e.counterexample = counterexamplefile(in.querylines, *e.result.differs);
    e.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace relalg
