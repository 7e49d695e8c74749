// The explanation evaluates as relalg does: over random queries and tables, each step's row
// count is the row count relalg gives for that step's text as the whole query.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "driver/run.h"
#include "explain/explain.h"

namespace relalg {
namespace {

class randomquery {
 public:
  explicit randomquery(unsigned seed) : random(seed) {}

  std::string query(int depth) {
    if (depth == 0 || pick(4) == 0) return pickof({"r", "s", "R", "u", ""});
    switch (pick(8)) {
      case 0:
        return "select(" + query(depth - 1) + "," + condition(2) + ")";
      case 6:
        // A selection that runs as a join below a renaming or a projection, or merged with
        // the selection it reads: every step folded into the join still has its rows.
        return "select(" + pickof({"rename(", "project(", "select("}) + "product(" +
               query(depth - 1) + "," + query(depth - 1) + ")," +
               pickof({"t(a,b,c)", "a,c", "EQ(a,a)"}) + ")," + condition(2) + ")";
      case 1:
        return "project(" + query(depth - 1) + "," + pickof({"a", "b", "a,b", "c,a", "", "b,b"}) +
               ")";
      case 2:
        return "rename(" + query(depth - 1) + "," + pickof({"t(a,b)", "t(b)", "t", "t(c,a,b)"}) +
               ")";
      case 3:
        return "product(" + query(depth - 1) + "," + query(depth - 1) + ")";
      case 4:
        return "union(" + query(depth - 1) + "," + query(depth - 1) + ")";
      case 5:
        return "minus(" + query(depth - 1) + "," + query(depth - 1) + ")";
      default:
        return "select(product(" + query(depth - 1) + "," + query(depth - 1) + ")," + condition(2) +
               ")" + pickof({"", "x", ")"});
    }
  }

  std::string tables() {
    std::string text = "r(a int, b char(3))\n";
    for (int row = pick(5); row > 0; --row) {
      text += pickof({"1,'x'", "2,'y'", "1,'y'", "3", "x,'1'", "2,'x',9", " 1, 'x'"}) + "\n";
    }
    text += "\ns(a char(2), c int)\n";
    for (int row = pick(5); row > 0; --row) {
      text += pickof({"'1',1", "'2',2", "'x',1", "'1'", "1,1"}) + "\n";
    }
    return text;
  }

 private:
  std::mt19937 random;

  int pick(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

  std::string pickof(std::initializer_list<const char*> choices) {
    return *(choices.begin() + pick(static_cast<int>(choices.size())));
  }

  std::string condition(int depth) {
    if (depth > 0 && pick(3) == 0) {
      return pickof({"AND(", "OR("}) + condition(depth - 1) + "," + condition(depth - 1) + ")";
    }
    if (depth > 0 && pick(5) == 0) return "NOT(" + condition(depth - 1) + ")";
    return pickof({"EQ(", "NEQ(", "LT(", "GTE(", "eq("}) + pickof({"a", "b", "c", "'1'", "x"}) +
           "," + pickof({"a", "b", "c", "1", "'x'", ""}) + ")";
  }
};

// The result's row count: the lines of the output's last table, less its header.
int64_t resultrows(const std::string& output) {
  const size_t start = output.rfind("\n\n", output.size() - 3) + 2;
  return static_cast<int64_t>(
             std::count(output.begin() + static_cast<ptrdiff_t>(start), output.end(), '\n')) -
         2;
}

TEST(explainagreement, everyStepHasTheRowsRelalgGivesForItsText) {
  randomquery make(20261209);
  for (int round = 0; round < 300; ++round) {
    const std::string tables = make.tables();
    const std::string input = make.query(3) + "\n\n" + tables;
    const explanation e = explain(input, 2);
    for (const nodeinfo& n : e.nodes) {
      const std::string output = run(std::string(n.text) + "\n\n" + tables);
      ASSERT_EQ(n.rows, resultrows(output)) << input << "\nstep: " << n.text;
    }
  }
}

}  // namespace
}  // namespace relalg
