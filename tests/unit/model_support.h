// Helpers of the tests over the model: columns made from values, the row operations only tests
// need, tables read from text, and a query's result evaluated by a given plan.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <numeric>
#include <string>
#include <vector>

#include "input/input.h"
#include "model/column.h"
#include "model/table.h"
#include "operators/evaluator.h"
#include "parallel/parallel.h"
#include "plan/plan.h"
#include "tree/querytree.h"

namespace relalg::testing {

// While it lives, work of this amount or more is split over two threads: every two-thread
// path is reached on small tables.
class splitfrom {
 public:
  explicit splitfrom(size_t amount) : before(parallel::threshold()) {
    parallel::setthreshold(amount);
  }
  ~splitfrom() { parallel::setthreshold(before); }
  splitfrom(const splitfrom&) = delete;
  splitfrom& operator=(const splitfrom&) = delete;

 private:
  const size_t before;
};

inline column textcolumn(int width, std::initializer_list<std::string> values) {
  column c("", columntype::text(width));
  for (const std::string& v : values) c.addvalue(v);
  return c;
}

inline column intcolumn(std::initializer_list<std::string> values) {
  column c("", columntype::integer());
  for (const std::string& v : values) c.addvalue(v);
  return c;
}

// The value as plain text.
inline std::string value(const column& c, int32_t row) {
  intbuffer buffer;
  return std::string(c.valueview(row, buffer));
}

// Negative, zero or positive as the value of row a is below, equal to or above that of row b:
// integers by number, texts by unsigned bytes.
inline int comparerows(const column& c, int32_t a, int32_t b) {
  if (c.type().holdsintegers()) {
    return comparenumbers(c.integers()[static_cast<size_t>(a)],
                          c.integers()[static_cast<size_t>(b)]);
  }
  return c.texts()[static_cast<size_t>(a)].view().compare(c.texts()[static_cast<size_t>(b)].view());
}

// The first nonzero column comparison, in declaration order; 0 when all are equal.
inline int comparerows(const table& t, int32_t a, int32_t b) {
  for (const column& c : t.columns()) {
    if (const int order = comparerows(c, a, b)) return order;
  }
  return 0;
}

// Removes one row; later rows move up.
inline void eraserow(table& t, int32_t row) {
  std::vector<int32_t> kept(static_cast<size_t>(t.rowcount()));
  std::iota(kept.begin(), kept.end(), 0);
  kept.erase(kept.begin() + row);
  t.gather(kept);
}

// Exchanges two rows.
inline void swaprows(table& t, int32_t a, int32_t b) {
  std::vector<int32_t> order(static_cast<size_t>(t.rowcount()));
  std::iota(order.begin(), order.end(), 0);
  std::swap(order[static_cast<size_t>(a)], order[static_cast<size_t>(b)]);
  t.gather(order);
}

// The tables of an input's table section, read as the program reads them.
inline std::vector<table> readtables(const std::string& section, readnotes* notes = nullptr) {
  return readinput("q\n\n" + section, notes).tables;
}

// The one table of a table section.
inline table readone(const std::string& section) {
  const std::vector<table> tables = readtables(section);
  EXPECT_FALSE(tables.empty());
  return tables.empty() ? table() : tables.front();
}

// A row's values, each as printed followed by a comma.
inline std::string rowtext(const table& t, int32_t row) {
  std::string out;
  for (const column& c : t.columns()) out += c.printvalue(row) + ',';
  return out;
}

// The value of a query over tables, evaluated by the plan that the rules give.
inline table evaluated(const std::string& query, const std::vector<table>& tables,
                       rewrites rules = rewrites::joins) {
  const querytree tree(query);
  return evaluator(tables).evaluate(tree, buildplan(tree, tables, rules));
}

// The result table of an input's query, evaluated by the plan that the rules give: header
// and rows, each value as printed followed by a comma.
inline std::string resultof(const std::string& bytes, rewrites rules) {
  const input in = readinput(bytes);
  const querytree tree(in.query);
  const table t = evaluator(in.tables).evaluate(tree, buildplan(tree, in.tables, rules));
  std::string out = t.name + "(";
  for (const column& c : t.columns()) out += c.name + " " + c.type().typetext() + ",";
  out += ")\n";
  for (int32_t row = 0; row < t.rowcount(); ++row) out += rowtext(t, row) + '\n';
  return out;
}

}  // namespace relalg::testing
