// Writing a check's verdicts: the text a student reads, and the JSON a script reads.
#include "check/report.h"

#include <cstdio>
#include <sstream>

#include "explain/jsonrender.h"
#include "explain/printable.h"
#include "output/printbuffer.h"
#include "output/tablewriter.h"

namespace relalg {

namespace {

std::string plural(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A table as the output prints it, each line indented.
std::string indented(const table& t, const std::string& indent) {
  std::ostringstream op;
  printbuffer out(op);
  writetable(t, out, false);
  out.flush();
  std::string text = op.str();
  std::string lines;
  size_t start = 0;
  // The last line is the empty one that ends a table.
  while (start + 1 < text.size()) {
    const size_t end = text.find('\n', start);
    lines += indent + visible(std::string_view(text).substr(start, end - start)) + "\n";
    start = end + 1;
  }
  return lines;
}

void rowsunder(std::string& out, const std::string& heading, const std::vector<std::string>& rows) {
  if (rows.empty()) return;
  out += "  " + heading + "\n";
  for (const std::string& row : rows) out += "    " + visible(row) + "\n";
}

}  // namespace

std::string counterexamplefile(const std::string& querylines, const counterexample& c) {
  std::ostringstream op;
  printbuffer out(op);
  out.put(querylines);
  // A file holding only its query may end without a line feed.
  if (querylines.empty() || querylines.back() != '\n') out.put('\n');
  out.put('\n');
  for (const table& t : c.tables) writetable(t, out, false);
  out.flush();
  std::string text = op.str();
  // An input file ends with its last row; the empty line after the last table is the output's.
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\n\n") == 0) text.pop_back();
  return text;
}

std::string checktext(const std::string& answer, const std::vector<checkentry>& entries) {
  std::string out = "checked against " + visible(answer) + "\n\n";
  for (const checkentry& e : entries) {
    out += visible(e.input) + ": ";
    if (e.verdict == "error") {
      out += "not checked: " + e.error + "\n\n";
      continue;
    }
    const checked& r = e.result;
    if (e.verdict == "same") {
      out += "agrees with the answer on " + plural(r.databases, "database", "databases");
      if (r.generated > 0) out += " and " + plural(r.generated, "generated one", "generated ones");
      out += "\n";
    } else {
      const counterexample& c = *r.differs;
      out += c.reason == "columns"
                 ? "differs from the answer: its result has " +
                       plural(c.given.columncount(), "column", "columns") +
                       " where the answer's has " + std::to_string(c.answered.columncount()) + "\n"
             : c.reason == "rows" ? "differs from the answer: their rows differ\n"
                                  : "differs from the answer: its result prints otherwise\n";
      out +=
          "  on a database of " + plural(c.rows, "row", "rows") +
          (c.smallest ? ", the smallest on which they differ" : "") + ", part of " +
          (c.database == "generated" ? std::string("a generated database") : visible(c.database)) +
          ":\n";
      for (const table& t : c.tables) out += indented(t, "    ");
      rowsunder(out, "the answer has these rows, and this query has not:", c.missing);
      rowsunder(out, "this query has these rows, and the answer has not:", c.unexpected);
      out += "  the answer gives:\n" + indented(c.answered, "    ");
      out += "  this query gives:\n" + indented(c.given, "    ");
      if (!e.written.empty()) out += "  written to " + visible(e.written) + "\n";
    }
    if (!e.notes.empty()) {
      out += "  notes on this query:\n";
      for (const std::string& note : e.notes) out += "    " + note + "\n";
    }
    out += "\n";
  }
  return out;
}

std::string checkjson(const std::string& answer, const std::vector<checkentry>& entries) {
  std::string out = "{\"answer\": ";
  appendjsonstring(out, answer);
  out += ", \"inputs\": [";
  const auto strings = [&](const std::vector<std::string>& list) {
    out += '[';
    for (size_t k = 0; k < list.size(); ++k) {
      if (k > 0) out += ", ";
      appendjsonstring(out, list[k]);
    }
    out += ']';
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    const checkentry& e = entries[i];
    if (i > 0) out += ", ";
    out += "{\"input\": ";
    appendjsonstring(out, e.input);
    out += ", \"verdict\": ";
    appendjsonstring(out, e.verdict);
    out += ", \"databases\": " + std::to_string(e.result.databases);
    out += ", \"generated\": " + std::to_string(e.result.generated);
    out += ", \"notes\": ";
    strings(e.notes);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", e.seconds);
    out += ", \"seconds\": " + std::string(seconds);
    if (e.verdict == "differs") {
      const counterexample& c = *e.result.differs;
      out += ", \"reason\": ";
      appendjsonstring(out, c.reason);
      out += ", \"database\": ";
      appendjsonstring(out, c.database);
      out += ", \"rows\": " + std::to_string(c.rows);
      out += ", \"smallest\": " + std::string(c.smallest ? "true" : "false");
      out += ", \"missing\": ";
      strings(c.missing);
      out += ", \"unexpected\": ";
      strings(c.unexpected);
      out += ", \"counterexample\": ";
      appendjsonstring(out, e.counterexample);
    }
    if (e.verdict == "error") {
      out += ", \"error\": ";
      appendjsonstring(out, e.error);
    }
    out += '}';
  }
  return out + "]}\n";
}

}  // namespace relalg
