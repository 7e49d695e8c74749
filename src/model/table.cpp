// The table: reading a definition and its rows, and the row operations the operators build on.
#include "model/table.h"

#include <algorithm>
#include <climits>
#include <numeric>
#include <utility>

#include "model/charcolumn.h"
#include "model/intcolumn.h"
#include "model/textint.h"

namespace relalg {

std::optional<table> table::read(source& ip, std::optional<std::string_view>& rowsasread) {
  rowsasread.reset();
  table t;
  char c;
  // The first character always belongs to the name, even a "(".
  if (!ip.read(c)) return std::nullopt;
  t.name = c;
  t.name += ip.takeuntil('(');
  if (ip.atend()) return std::nullopt;  // a definition cut before its "(" is dropped
  ip.skip();                            // the "("
  do {
    if (auto declared = readcolumn(ip)) t.addcolumn(std::move(declared));
  } while (ip.peek() != '\n' && !ip.atend());
  ip.skip();  // the line feed that ends the header
  // Every row takes at least one line, so the lines up to the next empty one bound the rows.
  const auto lines = static_cast<int32_t>(std::min<size_t>(ip.linesuntilempty(), INT32_MAX));
  for (const auto& c : t.columns) c->reserve(lines);
  // An empty line or the end right after the header gives a table without rows.
  const size_t rowsstart = ip.position();
  bool asprinted = true;
  while (ip.peek() != '\n' && !ip.atend() && !t.columns.empty()) asprinted &= t.readrow(ip);
  if (asprinted) rowsasread = ip.since(rowsstart);
  return t;
}

std::shared_ptr<column> table::readcolumn(source& ip) {
  while (ip.peek() == ' ') ip.skip();
  char c;
  if (!ip.read(c)) return nullptr;  // the header ended before this column's name
  std::string label(1, c);
  label += ip.takeuntil(' ', ',', ')', '\n');
  std::string num;
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
  std::shared_ptr<column> declared;
  if (num.empty()) {
    declared = std::make_shared<intcolumn>();
  } else {
    declared = std::make_shared<charcolumn>(texttoint(num));
  }
  declared->name = std::move(label);
  if (ip.peek() != '\n') ip.skip();  // the "," (or ")") before the next declaration
  return declared;
}

bool table::readrow(source& ip) {
  // One line is one row: a short line leaves the neutral value in the columns it does not
  // reach, and the values of a long line past the last column are skipped.
  bool asprinted = true;
  bool ended = false;
  const size_t last = columns.size() - 1;
  for (size_t k = 0; k < columns.size(); ++k) {
    column& target = *columns[k];
    if (ended) {
      target.addvalue({});
      asprinted = false;
      continue;
    }
    asprinted &= target.readvalue(ip);
    if (ip.peek() != ',' && ip.peek() != '\n') {
      ip.takeuntil(',', '\n');  // left after a closing quote
      asprinted = false;
    }
    if (ip.peek() == ',' && k < last) {
      ip.skip();
    } else {
      const bool extra = ip.peek() == ',';
      if (extra) ip.takeuntil('\n');
      asprinted &= !extra && k == last && ip.peek() == '\n';  // nothing skipped, a line end printed
      ip.skip();                                              // the line feed that ends the row
      ended = true;
    }
  }
  return asprinted;
}

int table::comparerows(int32_t a, int32_t b) const {
  for (const auto& c : columns) {
    if (const int order = c->comparerows(a, b)) return order;
  }
  return 0;
}

void table::swaprows(int32_t a, int32_t b) {
  for (const auto& c : columns) c->swaprows(a, b);
}

void table::eraserow(int32_t row) {
  for (const auto& c : columns) c->eraserow(row);
}

void table::sortunique() {
  const std::vector<int32_t> rows = distinctrows();
  const bool unchanged =
      static_cast<int32_t>(rows.size()) == rowcount() &&
      std::all_of(rows.begin(), rows.end(), [&, i = 0](int32_t row) mutable { return row == i++; });
  if (!unchanged) keeprows(rows);
}

void table::addcolumn(std::shared_ptr<column> c) {
  if (c) columns.push_back(std::move(c));
}

std::shared_ptr<column> table::copycolumn(std::string_view label) const {
  for (const auto& c : columns) {
    if (c->name == label) return c->clone();
  }
  return nullptr;
}

void table::addclones(const table& other) {
  for (const auto& c : other.columns) addcolumn(c->clone());
}

void table::keeprows(const std::vector<int32_t>& rows) {
  for (const auto& c : columns) c->keeprows(rows);
}

namespace {

// One stable counting pass of the rows by one byte of their keys.
void countingpass(std::vector<int32_t>& rows, std::vector<int32_t>& scratch,
                  const std::vector<uint32_t>& keys, uint32_t low, int shift) {
  std::vector<size_t> start(257, 0);
  for (const int32_t row : rows)
    ++start[((keys[static_cast<size_t>(row)] - low) >> shift & 0xffu) + 1];
  for (size_t d = 1; d < start.size(); ++d) start[d] += start[d - 1];
  for (const int32_t row : rows)
    scratch[start[(keys[static_cast<size_t>(row)] - low) >> shift & 0xffu]++] = row;
  rows.swap(scratch);
}

}  // namespace

std::vector<int32_t> table::distinctrows() const {
  std::vector<int32_t> rows(static_cast<size_t>(rowcount()));
  std::iota(rows.begin(), rows.end(), 0);
  if (rows.size() < 2) return rows;
  // Rows that compare equal are equal in every value, so any sort followed by dropping
  // neighbouring equals gives what a selection sort with removal of duplicates gives. This
  // one is a radix sort: stable passes by the last column's keys first, the first's last.
  std::vector<std::vector<uint32_t>> keys(columns.size());
  std::vector<int32_t> scratch(rows.size());
  for (size_t k = columns.size(); k-- > 0;) {
    keys[k] = columns[k]->sortkeys();
    const auto [low, high] = std::minmax_element(keys[k].begin(), keys[k].end());
    // Only the bytes in which the keys differ need a pass.
    for (int shift = 0; shift < 32 && (static_cast<uint64_t>(*high - *low) >> shift) > 0;
         shift += 8) {
      countingpass(rows, scratch, keys[k], *low, shift);
    }
  }
  // Equal keys in every column are equal rows.
  const auto same = [&keys](int32_t a, int32_t b) {
    return std::all_of(keys.begin(), keys.end(), [a, b](const std::vector<uint32_t>& column) {
      return column[static_cast<size_t>(a)] == column[static_cast<size_t>(b)];
    });
  };
  rows.erase(std::unique(rows.begin(), rows.end(), same), rows.end());
  return rows;
}

}  // namespace relalg
