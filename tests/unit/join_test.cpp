// Planned selections over products against the plain way, the product built and then filtered,
// on thousands of small random tables and conditions, also where the selection reads the
// product through renamings and projections.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "hostile_support.h"
#include "model_support.h"
#include "output/printbuffer.h"

namespace relalg {
namespace {

class generator {
 public:
  explicit generator(unsigned seed) : random(seed) {}

  // Whether every value stands as printed, so that tables print as their lines.
  bool plain = false;

  // Tables A, B and C of one to three columns, names shared between them, every column
  // kind, values that read alike as integers and differ as texts, repeated rows.
  std::string tables() {
    std::string text;
    for (const char* name : {"A", "B", "C"}) {
      text += name;
      text += '(';
      const int columns = pick(3) + 1;
      std::vector<bool> isint;
      for (int k = 0; k < columns; ++k) {
        static const char* types[] = {"int", "char(5)", "char(0)", "int"};
        const int type = pick(4);
        isint.push_back(type % 3 == 0);
        text += std::string(k ? ", " : "") + names[pick(sizeof names / sizeof *names)] + " " +
                types[type];
      }
      text += ")\n";
      const int rows = pick(6);
      for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < columns; ++k) {
          if (k) text += ',';
          static const char* numbers[] = {"0", "7", "-7", "1", "007", "2147483648", "-0"};
          static const char* texts[] = {"'7'",   "'007'", "' 7'", "'+7'", "'abc'",
                                        "'a b'", "'0'",   "'-7'", "'1'",  "'A'"};
          // The first four numbers stand as printed.
          text += isint[static_cast<size_t>(k)] ? numbers[pick(plain ? 4 : 7)] : texts[pick(10)];
        }
        text += '\n';
      }
      text += '\n';
    }
    return text;
  }

  std::string operand() {
    if (pick(3) == 0) {
      static const char* constants[] = {"7", "'7'", "'007'", "abc", "'a b'", "-1", "A", "1"};
      return constants[pick(8)];
    }
    return names[pick(sizeof names / sizeof *names)];
  }

  std::string comparison() {
    static const char* keywords[] = {"EQ", "EQ", "EQ", "NEQ", "LT", "LTE", "GT", "GTE"};
    return std::string(keywords[pick(8)]) + "(" + operand() + "," + operand() + ")";
  }

  std::string condition(int depth) {
    const int choice = depth > 0 ? pick(10) : 9;
    if (choice < 4) return "AND(" + condition(depth - 1) + "," + condition(depth - 1) + ")";
    if (choice < 6) return "OR(" + condition(depth - 1) + "," + condition(depth - 1) + ")";
    if (choice == 6) return "NOT(" + condition(depth - 1) + ")";
    if (choice == 7 && pick(4) == 0) return "eq(a,b)";  // not recognised: answers no
    return comparison();
  }

  std::string product() {
    static const char* shapes[] = {"product(A,B)",
                                   "product(B,A)",
                                   "product(A,A)",
                                   "product(product(A,B),C)",
                                   "product(A,product(B,C))",
                                   "product(A,Q)",
                                   "product(select(A,EQ(a,7)),B)"};
    return shapes[pick(7)];
  }

  // A product under renamings and projections, which a selection over them is moved below.
  std::string covered() {
    switch (pick(4)) {
      case 0:
        return "rename(" + product() + ",R(" + namelist() + "))";
      case 1:
        return "project(" + product() + "," + namelist() + ")";
      case 2:
        return "rename(project(" + product() + "," + namelist() + "),S(" + namelist() + "))";
      default:
        return "project(rename(" + product() + ",T(" + namelist() + ")),a,b)";
    }
  }

  std::string namelist() {
    std::string list = names[pick(4)];
    for (int more = pick(4); more > 0; --more) list += std::string(",") + names[pick(4)];
    return list;
  }

  std::string query() {
    const std::string joined = pick(3) == 0 ? "select(" + covered() + "," + condition(3) + ")"
                                            : "select(" + product() + "," + condition(3) + ")";
    switch (pick(9)) {
      case 6:
        return "project(" + joined + ",a)";
      case 7:
        return "minus(project(rename(" + joined + ",V(" + namelist() + ")),a,b),project(C,a,b))";
      case 5:
        return "select(rename(" + joined + ",U(" + namelist() + "))," + condition(2) + ")";
      case 0:
        return "select(" + joined + "," + condition(2) + ")";
      case 1:
        return "project(" + joined + ",a,x)";
      case 2:
        return "union(" + joined + ",select(" + product() + "," + condition(2) + "))";
      case 3:
        return "minus(" + joined + ",select(" + product() + "," + condition(2) + "))";
      case 4:
        return "product(" + joined + ",C)";
      default:
        return joined;
    }
  }

  // A projection of the rows of A for which some row of B compares with them, as "some other
  // row" queries are written.
  std::string someother() {
    static const char* keywords[] = {"LT", "LTE", "GT", "GTE"};
    const std::string own = names[pick(4)];
    const std::string other = std::string(1, "pqr"[pick(3)]);
    const std::string comparison = std::string(keywords[pick(4)]) + "(" +
                                   (pick(2) ? own + "," + other : other + "," + own) + ")";
    return "project(select(product(A,rename(B,R(p,q,r))),AND(" + comparison + "," + condition(1) +
           ")),a)";
  }

  // A projection of a difference of a product, as division is written.
  std::string differenceofproduct() {
    if (pick(2)) {
      return "project(minus(product(A,B)," +
             std::string(pick(2) ? "product(C,A)" : "product(B,B)") + "),a)";
    }
    return "project(rename(minus(product(" + product() + ",A),product(B,product(A,A))),W(x,b))," +
           namelist() + ")";
  }

 private:
  std::mt19937 random;
  static constexpr const char* names[] = {"a", "b", "x", "id"};

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
};

TEST(join, plannedSelectionsOverProductsGiveTheBuiltProductsRows) {
  generator g(11);
  int nonempty = 0;
  int matchingonce = 0;
  int differencesofproducts = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string query = round % 5 == 0   ? g.differenceofproduct()
                              : round % 5 == 1 ? g.someother()
                                               : g.query();
    const std::string input = query + "\n\n" + g.tables();
    const std::string planned = testing::resultof(input, rewrites::joins);
    const std::string plain = testing::resultof(input, rewrites::none);
    ASSERT_EQ(planned, plain) << input;
    ASSERT_EQ(testing::resultof(input, rewrites::all), plain) << input;
    nonempty += planned.find(")\n") + 2 < planned.size();
    const struct input in = readinput(input);
    const querytree tree(in.query);
    for (const step& s : buildplan(tree, in.tables).steps) {
      matchingonce += s.kind == stepkind::join && s.join.operandsread > 0;
      differencesofproducts += s.ofproduct;
    }
  }
  // The generator must reach results with rows, joins that match once and differences of
  // products, or the comparison proves little.
  EXPECT_GT(nonempty, 3500);
  EXPECT_GT(matchingonce, 2000);
  EXPECT_GT(differencesofproducts, 1000);
}

// The rows of a product or join of tables that print as their lines print as those lines
// joined by commas: the same bytes as the rows printed value by value, also when the input's
// last line has no line feed.
TEST(join, rowsPrintAsTheirOperandsLinesJoined) {
  generator g(12);
  int joined = 0;
  // One buffer each for every round: a buffer is large, and made anew it would be the most of
  // the test's time.
  std::ostringstream lines;
  std::ostringstream values;
  printbuffer bylines(lines);
  printbuffer byvalues(values);
  for (int round = 0; round < 5000; ++round) {
    g.plain = round % 4 != 0;
    std::string input = g.query() + "\n\n" + g.tables();
    if (round % 3 == 0) input.erase(input.find_last_not_of('\n') + 1);
    const table t = evaluatequery(readinput(input));
    const table plain(t.name, t.columns());
    lines.str("");
    values.str("");
    writeresult(t, bylines);
    writeresult(plain, byvalues);
    ASSERT_EQ(lines.str(), values.str()) << input;
    joined += t.lines() && !t.lines()->wholelines() && t.rowcount() > 0;
  }
  // The generator must reach joined rows often, or the comparison proves little.
  EXPECT_GT(joined, 250);
}

// Ten billion pairs are never built: the join of two 100,000-row tables on their keys, and a
// comparison with no equality over 2,000 x 2,000 pairs, take time and memory for their results.
TEST(join, largeJoinsNeverBuildTheProduct) {
  std::string left = "a(k int, v char(4))\n";
  std::string right = "b(j int, w char(4))\n";
  for (int i = 0; i < 100000; ++i) {
    left += std::to_string((i * 7919) % 100000) + ",'a'\n";
    right += std::to_string(i) + ",'b'\n";
  }
  const auto start = hostile::clock::now();
  const std::string joined = run("select(product(a,b),EQ(k,j))\n\n" + left + "\n" + right);
  EXPECT_LT(hostile::secondssince(start), hostile::timebound);
  const std::string result = hostile::resulttable(joined);
  EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 100000 + 2);
  EXPECT_EQ(result.substr(0, 56), "a(k int, v char(4), j int, w char(4))\n0,'a',0,'b'\n1,'a',");

  std::string small = "s(x int)\n";
  for (int i = 0; i < 2000; ++i) small += std::to_string(i) + "\n";
  // OR at the top leaves no equality to match by: every pair is tested, one at a time.
  const std::string tested =
      run("select(product(s,rename(s,t(y))),OR(AND(LT(y,x),EQ(x,1999)),EQ(y,-5)))\n\n" + small);
  EXPECT_LT(hostile::secondssince(start), 2 * hostile::timebound);
  const std::string pairs = hostile::resulttable(tested);
  EXPECT_EQ(std::count(pairs.begin(), pairs.end(), '\n'), 1999 + 2);
  EXPECT_EQ(pairs.substr(0, 30), "s(x int, y int)\n1999,0\n1999,1\n");
}

}  // namespace
}  // namespace relalg
