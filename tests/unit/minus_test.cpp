// Differences matched by whole input lines against the same differences matched value by value,
// and unions merged from their sorted operands against both operands' rows sorted together, on
// thousands of small random tables, and both on large tables worked through on two threads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "driver/run.h"
#include "hostile_support.h"
#include "model_support.h"

namespace relalg {
namespace {

class tables {
 public:
  explicit tables(unsigned seed) : random(seed) {}

  // A table of one to three columns named prefix0, prefix1, ...; its kinds (true for
  // integers) are put in kinds, or taken from them when `same`. Rows repeat and mostly stand as
  // printed; now and then one does not (printed is then false), and the table prints value by
  // value.
  std::string make(const char* name, char prefix, std::vector<bool>& kinds, bool& printed,
                   bool same = false) {
    if (!same) kinds.clear();
    printed = true;
    std::string text = std::string(name) + "(";
    const int columns = same ? static_cast<int>(kinds.size()) : pick(3) + 1;
    for (int k = 0; k < columns; ++k) {
      if (!same) kinds.push_back(pick(2) == 0);
      text += std::string(k ? ", " : "") + prefix + std::to_string(k) +
              (kinds[static_cast<size_t>(k)] ? " int"
               : pick(4)                     ? " char(3)"
                                             : " char(0)");
    }
    text += ")\n";
    for (int r = pick(8); r > 0; --r) {
      for (int k = 0; k < columns; ++k) {
        if (k) text += ',';
        static const char* numbers[] = {"7", "-7", "0", "12", "1"};
        static const char* texts[] = {"'7'", "'a'", "'a,b'", "''", "'12'"};
        // Read alike, printed otherwise: "007" prints as 7, a text without quotes gets them.
        static const char* unprinted[] = {"007", "a"};
        const bool plain = pick(40) != 0;
        printed &= plain;
        text += plain ? (kinds[static_cast<size_t>(k)] ? numbers : texts)[pick(5)]
                      : unprinted[kinds[static_cast<size_t>(k)] ? 0 : 1];
      }
      text += '\n';
    }
    return text + "\n";
  }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

 private:
  std::mt19937 random;
};

table readone(const std::string& text) { return testing::readtables(text).front(); }

std::string rowtext(const table& t, int32_t row) {
  std::string out;
  for (const column& c : t.columns()) out += c.printvalue(row) + ",";
  return out;
}

// The rows of a that match no row of b, each pair of rows compared value text by value text.
std::vector<int32_t> unmatchedplainly(const table& a, const table& b) {
  std::vector<int32_t> kept;
  for (int32_t i = 0; i < a.rowcount(); ++i) {
    bool matched = false;
    for (int32_t j = 0; j < b.rowcount() && b.columncount() >= a.columncount() && !matched; ++j) {
      matched = true;
      for (size_t k = 0; k < a.columns().size() && matched; ++k) {
        matched = testing::value(a.columns()[k], i) == testing::value(b.columns()[k], j);
      }
    }
    if (!matched) kept.push_back(i);
  }
  return kept;
}

TEST(minus, rowsMatchedByTheirLinesAsByTheirValues) {
  tables g(5);
  int bylines = 0;  // rounds where both operands print as their lines with the same kinds
  for (int round = 0; round < 10000; ++round) {
    std::vector<bool> akinds;
    std::vector<bool> bkinds;
    bool aprinted;
    bool bprinted;
    const std::string a = g.make("A", 'a', akinds, aprinted);
    const std::string b = g.make("B", 'b', bkinds, bprinted);
    std::string everyb;
    for (size_t k = 0; k < bkinds.size(); ++k) everyb += ",b" + std::to_string(k);
    // A projection on all columns has the same rows, sorted and distinct, and never prints
    // as its input lines: the difference by it matches value by value.
    const std::string lines = run("minus(A,B)\n\n" + a + b);
    const std::string values = run("minus(A,project(B" + everyb + "))\n\n" + a + b);
    ASSERT_EQ(hostile::resulttable(lines), hostile::resulttable(values)) << a << b;
    // Both against every pair of rows compared.
    const table ta = readone(a);
    const table got = testing::evaluated("minus(A,B)", {ta, readone(b)});
    const std::vector<int32_t> expected = unmatchedplainly(ta, readone(b));
    ASSERT_EQ(got.rowcount(), static_cast<int32_t>(expected.size())) << a << b;
    for (size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(rowtext(got, static_cast<int32_t>(i)), rowtext(ta, expected[i])) << a << b;
    }
    bylines += aprinted && bprinted && akinds == bkinds;
  }
  // The generator must reach the matching by lines often, or the comparison proves little.
  EXPECT_GT(bylines, 600);
}

// Many rows are hashed, put in the set and looked up on two threads: every row of the first
// operand is still matched, by its lines and by its values, in the halves and across them.
TEST(minus, manyRowsMatchedOnTwoThreads) {
  const testing::splitfrom small(64);
  const int rows = 1500;
  std::string a = "A(n int, t char(4))\n";
  std::string b = "B(m int, u char(4))\n";
  std::string expected;
  for (int i = 0; i < rows; ++i) {
    const std::string line = std::to_string(i) + ",'" + std::to_string(i % 1000) + "'\n";
    a += line;
    // B holds every row of A but those of every seventh value, some of them twice.
    if (i % 7 != 0) b += line;
    if (i % 5 == 0 && i % 7 != 0) b += line;
    if (i % 7 == 0) expected += std::to_string(i) + ",'" + std::to_string(i % 1000) + "'\n";
  }
  const std::string input = "\n" + a + "\n" + b + "\n";
  expected += "\n";  // the empty line that ends a table
  const std::string resultheader = "A(n int, t char(4))\n";
  EXPECT_EQ(hostile::resulttable(run("minus(A,B)\n" + input)), resultheader + expected);
  EXPECT_EQ(hostile::resulttable(run("minus(A,project(B,m,u))\n" + input)),
            resultheader + expected);
}

// The rows of union(A,B) over a and b, as printed.
std::vector<std::string> unitedrows(const table& a, const table& b) {
  const table merged = testing::evaluated("union(A,B)", {a, b});
  std::vector<std::string> rows;
  for (int32_t row = 0; row < merged.rowcount(); ++row) rows.push_back(rowtext(merged, row));
  return rows;
}

// The rows of a and b in one table, sorted without repeats, as printed.
std::vector<std::string> sortedtogether(const table& a, const table& b) {
  std::vector<column> both = a.columns();
  for (size_t k = 0; k < both.size(); ++k) both[k].append(b.columns()[k]);
  table together("", both);
  together.sortunique();
  std::vector<std::string> rows;
  for (int32_t row = 0; row < together.rowcount(); ++row) rows.push_back(rowtext(together, row));
  return rows;
}

TEST(union, mergedAsBothOperandsSortedTogether) {
  tables g(6);
  for (int round = 0; round < 5000; ++round) {
    std::vector<bool> kinds;
    bool printed;
    const std::string a = g.make("A", 'a', kinds, printed);
    const std::string b = g.make("B", 'b', kinds, printed, true);
    const table ta = readone(a);
    const table tb = readone(b);
    ASSERT_EQ(unitedrows(ta, tb), sortedtogether(ta, tb)) << a << b;
  }
}

// Many rows are sorted an operand on each thread and merged in two parts, split at the first
// operand's middle row: rows equal to it, or tied with it on the first column, on either side,
// must come out once each and in order.
TEST(union, manyRowsMergedInTwoParts) {
  const testing::splitfrom small(64);
  std::mt19937 random(21);
  std::string a = "A(n int, t char(1))\n";
  std::string b = "B(m int, u char(1))\n";
  const int values = 900;
  const int middle = 375;  // A holds every value below 450 and two in three above
  for (int i = 0; i < values; ++i) {
    // Every value in one operand or both; around the middle of A each in several texts.
    const int texts = std::abs(i - middle) < 10 ? 3 : 1;
    for (int k = 0; k < texts; ++k) {
      const std::string line = std::to_string(i) + ",'" + static_cast<char>('x' + k) + "'\n";
      // Near the middle: 'x' in both operands, 'y' in A only, 'z' in B only.
      const uint32_t in = random() % 3;
      if (texts > 1 ? k != 2 : in != 1 || i < values / 2) a += line;
      if (texts > 1 ? k != 1 : in != 0) b += line;
    }
  }
  const table ta = readone(a);
  const table tb = readone(b);
  ASSERT_TRUE(parallel::splits(static_cast<size_t>(ta.rowcount() + tb.rowcount())));
  const std::vector<int32_t> sorted = ta.distinctrows();
  const int32_t split = std::stoi(testing::value(ta.columns()[0], sorted[sorted.size() / 2]));
  ASSERT_LT(std::abs(split - middle), 10);
  EXPECT_EQ(unitedrows(ta, tb), sortedtogether(ta, tb));
}

}  // namespace
}  // namespace relalg
