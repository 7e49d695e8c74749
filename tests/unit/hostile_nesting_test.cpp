// Deeply nested queries and conditions: right within the nesting limit, empty past it.
#include <gtest/gtest.h>

#include <string>

#include "driver/run.h"
#include "hostile_support.h"
#include "tree/nesting.h"

namespace relalg {
namespace {

using hostile::repeated;

const std::string tables = "R(a int, b char(3))\n1,'x'\n2,'y'\n1,'z'\n";

std::string resultof(const std::string& query) {
  return hostile::resulttable(run(query + "\n\n" + tables));
}

TEST(deepnesting, selectProjectRenameTenThousandDeep) {
  const int deep = 10000;
  EXPECT_EQ(resultof(repeated("select(", deep) + "R" + repeated(",EQ(a,1))", deep)),
            "R(a int, b char(3))\n1,'x'\n1,'z'\n\n");
  EXPECT_EQ(resultof(repeated("project(", deep) + "R" + repeated(",b,a)", deep)),
            "(b char(3), a int)\n'x',1\n'y',2\n'z',1\n\n");
  // Only the outermost rename's names survive.
  EXPECT_EQ(resultof(repeated("rename(", deep) + "R" + repeated(",S(c,d))", deep - 1) + ",U(p,q))"),
            "U(p int, q char(3))\n1,'x'\n2,'y'\n1,'z'\n\n");
}

TEST(deepnesting, setOperatorsTenThousandDeep) {
  const int deep = 10000;
  EXPECT_EQ(resultof(repeated("union(", deep) + "R" + repeated(",R)", deep)),
            "R(a int, b char(3))\n1,'x'\n1,'z'\n2,'y'\n\n");
  EXPECT_EQ(resultof(repeated("minus(", deep) + "R" + repeated(",select(R,EQ(b,'y')))", deep)),
            "R(a int, b char(3))\n1,'x'\n1,'z'\n\n");
}

TEST(deepnesting, conditionsUnderNotTenThousandDeep) {
  const std::string eq = "EQ(a,1)";
  EXPECT_EQ(resultof("select(R," + repeated("NOT(", 10000) + eq + repeated(")", 10000) + ")"),
            "R(a int, b char(3))\n1,'x'\n1,'z'\n\n");
  EXPECT_EQ(resultof("select(R," + repeated("NOT(", 9999) + eq + repeated(")", 9999) + ")"),
            "R(a int, b char(3))\n2,'y'\n\n");
}

TEST(deepnesting, conditionsUnderAndTenThousandDeep) {
  const int deep = 10000;
  // Nested in the second operand, then in the first, whose split must jump the deep group.
  EXPECT_EQ(resultof("select(R," + repeated("AND(EQ(a,1),", deep) + "NEQ(b,'x')" +
                     repeated(")", deep) + ")"),
            "R(a int, b char(3))\n1,'z'\n\n");
  EXPECT_EQ(resultof("select(R," + repeated("AND(", deep) + "NEQ(b,'x')" +
                     repeated(",EQ(a,1))", deep) + ")"),
            "R(a int, b char(3))\n1,'z'\n\n");
  EXPECT_EQ(resultof("select(R," + repeated("OR(EQ(a,7),", deep) + "EQ(b,'y')" +
                     repeated(")", deep) + ")"),
            "R(a int, b char(3))\n2,'y'\n\n");
}

TEST(deepnesting, limitItselfEvaluatesOneMoreIsEmpty) {
  const int64_t limit = nesting::maxnesting;
  EXPECT_EQ(resultof(repeated("project(", limit) + "R" + repeated(",a)", limit)),
            "(a int)\n1\n2\n\n");
  EXPECT_EQ(resultof(repeated("project(", limit + 1) + "R" + repeated(",a)", limit + 1)), "()\n\n");
  // Parentheses of the condition count too.
  EXPECT_EQ(
      resultof("select(R," + repeated("NOT(", limit) + "EQ(a,1)" + repeated(")", limit) + ")"),
      "()\n\n");
}

TEST(deepnesting, selectionsAtTheLimitTakeTimeInProportionToTheirText) {
  // Each selection binds its own condition only, never a list as long as the whole query's.
  const int64_t deep = nesting::maxnesting - 1;
  const auto start = hostile::clock::now();
  EXPECT_EQ(resultof(repeated("select(", deep) + "R" + repeated(",EQ(a,1))", deep)),
            "R(a int, b char(3))\n1,'x'\n1,'z'\n\n");
  EXPECT_LT(hostile::secondssince(start), hostile::timebound);
}

TEST(deepnesting, millionAndOneLevelsGiveTheEmptyTableQuickly) {
  const int64_t deep = 1000001;
  const auto start = hostile::clock::now();
  const std::string closed =
      "select(R," + repeated("NOT(", deep) + "EQ(a,1)" + repeated(")", deep) + ")";
  const std::string output = run(closed + "\n\n" + tables);
  EXPECT_EQ(output, closed + "\n\n" + tables + "\n()\n\n");
  // Never closed: the depth only grows.
  EXPECT_EQ(resultof(repeated("select(", deep) + "R"), "()\n\n");
  // Linear work on about 16 MB.
  EXPECT_LT(hostile::secondssince(start), hostile::timebound);
}

}  // namespace
}  // namespace relalg
