// Reading table definitions: a header line of declarations, then a row a line.
#include "input/tables.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "input/quickrows.h"
#include "input/values.h"
#include "model/rowlimit.h"
#include "parallel/parallel.h"

namespace relalg {

namespace {

// Reads one column declaration of a header line; none when the input ends before its name.
std::optional<column> readcolumn(source& ip, readnotes* notes) {
  while (ip.peek() == ' ') ip.skip();
  char c;
  if (!ip.read(c)) return std::nullopt;  // the header ended before this column's name
  std::string label(1, c);
  label += ip.takeuntil(' ', ',', ')', '\n');
  std::string num;
  const size_t typestart = ip.position();
  // Only a blank after the name opens a type text; a name that ended at ",", ")" or a line
  // feed declares an integer column.
  if (ip.peek() == ' ') {
    do {
      if (!ip.read(c)) break;
      if (c == '(') {
        do {
          if (!ip.read(c)) break;
          num += c;
        } while (ip.peek() != ')' && !ip.atend());
      }
    } while (ip.peek() != ',' && ip.peek() != '\n' && !ip.atend());
  }
  if (notes) notes->declared(ip.since(typestart), typestart, !num.empty());
  if (ip.peek() != '\n') ip.skip();  // the "," (or ")") before the next declaration
  return column(std::move(label),
                num.empty() ? columntype::integer() : columntype::text(texttoint(num)));
}

// The row a column's last value was read into.
int32_t lastrow(const column& c) { return c.size() - 1; }

// Reads one row, a line; answers whether it stood exactly as the output prints it. A short
// line leaves the neutral value in the columns it does not reach, and the values of a long
// line past the last column are skipped.
bool readrow(source& ip, std::vector<column>& columns, readnotes* notes) {
  const size_t rowstart = ip.position();
  bool asprinted = true;
  bool ended = false;
  const size_t last = columns.size() - 1;
  for (size_t k = 0; k < columns.size(); ++k) {
    column& target = columns[k];
    if (ended) {
      target.addvalue({});
      asprinted = false;
      continue;
    }
    const size_t valuestart = ip.position();
    if (const readflags flags = readvalue(ip, target)) {
      asprinted = false;
      if (notes) {
        notes->value(flags, static_cast<int32_t>(k), lastrow(target), valuestart, ip.position());
      }
    }
    if (ip.peek() != ',' && ip.peek() != '\n') {
      const size_t skipped = ip.position();
      ip.takeuntil(',', '\n');  // left after a closing quote
      asprinted = false;
      if (notes && ip.position() > skipped) {
        notes->row({readnote::afterquote, 0, static_cast<int32_t>(k), lastrow(target), skipped,
                    ip.position()});
      }
    }
    if (ip.peek() == ',' && k < last) {
      ip.skip();
    } else {
      const bool extra = ip.peek() == ',';
      if (extra) {
        const size_t skipped = ip.position();
        ip.takeuntil('\n');
        if (notes) notes->row({readnote::extra, 0, -1, lastrow(target), skipped, ip.position()});
      }
      asprinted &= !extra && k == last && ip.peek() == '\n';  // nothing skipped, a line end printed
      ip.skip();                                              // the line feed that ends the row
      ended = true;
      if (notes && k < last) {
        notes->row({readnote::toofew, 0, static_cast<int32_t>(k + 1), lastrow(target), rowstart,
                    ip.position()});
      }
    }
  }
  return asprinted;
}

// Reads the rows up to an empty line or the end: rows standing as printed in runs through the
// fast path, unless notes are taken, any other row through readrow. Answers whether every row
// stood as printed; starts then holds where each began.
bool readrows(source& ip, std::vector<column>& columns, readnotes* notes,
              std::vector<uint32_t>& starts) {
  if (columns.empty()) return true;
  bool asprinted = true;
  std::optional<quickrows> quick;
  if (!notes) quick.emplace(columns, ip);
  while (ip.peek() != '\n' && !ip.atend()) {
    const int32_t rows = columns.front().size();
    // Rows as printed come in runs: each run read in one go, as far as 32-bit indices reach.
    if (quick) {
      const size_t room = static_cast<size_t>(INT32_MAX - rows);
      if (quick->readrun(ip, asprinted ? &starts : nullptr, room) > 0) continue;
    }
    checkedrowcount(uint64_t{1} + static_cast<uint64_t>(rows));  // indices are 32-bit
    const size_t rowstart = ip.position();
    // Kept only while they fit, for the rows of a table as printed (see readtable).
    if (asprinted) starts.push_back(static_cast<uint32_t>(rowstart));
    if (readrow(ip, columns, notes)) continue;
    asprinted = false;
    if (notes) notes->endrow(ip.since(rowstart), rowstart);
  }
  return asprinted;
}

// readrows without notes over the lines of span. Every line is a row of its own, so the lines
// of a large table are read in two halves at once: the second half into columns of its own,
// appended to these once both are read.
bool readrowsinparts(source& ip, std::vector<column>& columns, const source::linespan& span,
                     std::vector<uint32_t>& starts) {
  const size_t first = ip.position();
  const size_t half = first + (span.end - first) / 2;
  const size_t cut = ip.rest().find('\n', half - first);
  if (!parallel::splits(span.lines) || columns.empty() || cut == std::string_view::npos ||
      first + cut + 1 >= span.end) {
    return readrows(ip, columns, nullptr, starts);
  }
  const size_t mid = first + cut + 1;  // the first line of the second half starts here
  std::vector<column> tail;
  for (const column& c : columns) tail.push_back(c.emptycopy());
  source parts[] = {ip.part(first, mid), ip.part(mid, span.end)};
  std::vector<uint32_t> tailstarts;
  bool asprinted[] = {false, false};
  const std::vector<parallel::range> halves{{first, mid}, {mid, span.end}};
  parallel::eachrange(halves, [&](size_t part, const parallel::range&) {
    if (part == 0) {
      asprinted[0] = readrows(parts[0], columns, nullptr, starts);
      return;
    }
    const auto taillines = static_cast<int32_t>(parts[1].linesuntilempty().lines);
    for (column& c : tail) c.reserve(taillines);
    tailstarts.reserve(static_cast<size_t>(taillines));
    asprinted[1] = readrows(parts[1], tail, nullptr, tailstarts);
  });
  assert(parts[0].position() == mid && parts[1].position() == span.end);
  checkedrowcount(static_cast<uint64_t>(columns.front().size()) +
                  static_cast<uint64_t>(tail.front().size()));
  for (size_t k = 0; k < columns.size(); ++k) {
    columns[k].append(tail[k]);
    tail[k] = tail[k].emptycopy();  // its memory goes as soon as its values are here
  }
  ip.moveto(span.end);
  if (!asprinted[0] || !asprinted[1]) return false;
  starts.insert(starts.end(), tailstarts.begin(), tailstarts.end());
  return true;
}

// Reads one table definition and its rows; none when the end of the input comes before the
// definition's first "(".
std::optional<table> readtable(source& ip, readnotes* notes) {
  const size_t start = ip.position();
  if (notes) notes->definition(start);
  char c;
  // The first character always belongs to the name, even a "(".
  if (!ip.read(c)) return std::nullopt;
  std::string name(1, c);
  name += ip.takeuntil('(');
  if (ip.atend()) {  // a definition cut before its "(" is dropped
    if (notes) notes->dropped(start, ip.position());
    return std::nullopt;
  }
  if (notes) notes->named(name, start);
  ip.skip();  // the "("
  std::vector<column> columns;
  do {
    if (auto declared = readcolumn(ip, notes)) columns.push_back(std::move(*declared));
  } while (ip.peek() != '\n' && !ip.atend());
  ip.skip();  // the line feed that ends the header
  // Every row takes at least one line, so the lines up to the next empty one bound the rows.
  const source::linespan span = ip.linesuntilempty();
  const auto lines = static_cast<int32_t>(std::min<size_t>(span.lines, INT32_MAX));
  for (column& each : columns) each.reserve(lines);
  // An empty line or the end right after the header gives a table without rows.
  const size_t rowsstart = ip.position();
  auto printed = std::make_shared<inputlines>();
  printed->starts.reserve(static_cast<size_t>(lines) + 1);
  const bool asprinted = notes ? readrows(ip, columns, notes, printed->starts)
                               : readrowsinparts(ip, columns, span, printed->starts);
  // Offsets are 32-bit: the rows of a table past 4 GiB print value by value.
  std::optional<rowlines> lineset;
  if (asprinted && ip.position() - rowsstart <= UINT32_MAX) {
    printed->text = ip.bytes();
    printed->base = ip.since(rowsstart).data();
    for (uint32_t& each : printed->starts) each -= static_cast<uint32_t>(rowsstart);
    printed->starts.push_back(static_cast<uint32_t>(ip.position() - rowsstart));
    lineset.emplace(std::move(printed));
  }
  return table(std::move(name), std::move(columns), std::move(lineset));
}

}  // namespace

std::vector<table> readtables(source& ip, readnotes* notes) {
  std::vector<table> tables;
  while (!ip.atend()) {
    if (auto t = readtable(ip, notes)) tables.push_back(std::move(*t));
    ip.skip();  // the line feed of the empty line after the table
    while (ip.peek() == '\n') ip.skip();
  }
  return tables;
}

}  // namespace relalg
