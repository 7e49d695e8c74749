// Selections asked for batches of rows, in two halves at once, against the condition's plain
// reading row by row.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "condition_oracle.h"
#include "model_support.h"

namespace relalg {
namespace {

// Integers, texts against constants and against each other, texts read as integers, columns
// of one name and of width 0, constants alone.
const char* const conditions[] = {"GT(a,7)",
                                  "EQ(b,'1')",
                                  "AND(NEQ(c,'aa'),LTE(b,a))",
                                  "OR(GTE(c,b),LT(a,'-50'))",
                                  "NOT(EQ(c,'b'))",
                                  "EQ(b,c)",
                                  "LT(z,a)",
                                  "GTE(a,z)",
                                  "EQ(c,'a')",
                                  "EQ(7,'7')",
                                  "OR(AND(LT(a,0),EQ(z,'3')),NOT(OR(EQ(b,c),GT(z,b))))",
                                  "NEQ(b,x)",
                                  "eq(a,1)"};

TEST(select, rowsPassAsTheConditionAnswersRowByRow) {
  for (const size_t split : {size_t{1} << 16, size_t{16}}) {
    const testing::splitfrom threshold(split);
    std::mt19937 random(20);
    std::string text = "R(a int, b char(4), c char(3), z char(0), c int)\n";
    const int rows = 301;
    for (int row = 0; row < rows; ++row) {
      const auto n = static_cast<int>(random() % 200) - 100;
      text += std::to_string(n) + ",'" + std::to_string(random() % 50) + "','" +
              std::string(1 + random() % 2, static_cast<char>('a' + random() % 3)) + "','" +
              std::to_string(random() % 5) + "'," + std::to_string(random() % 3) + "\n";
    }
    const table t = testing::readtables(text).front();
    for (const char* condition : conditions) {
      const std::string query = std::string("select(R,") + condition + ")";
      const querytree tree(query);
      const table got = testing::evaluated(query, {t});
      std::vector<int32_t> expected;
      for (int32_t row = 0; row < rows; ++row) {
        if (testing::holds(tree, tree.nodes.front().condition, t, row)) expected.push_back(row);
      }
      ASSERT_EQ(got.rowcount(), static_cast<int32_t>(expected.size())) << condition;
      for (size_t i = 0; i < expected.size(); ++i) {
        for (size_t k = 0; k < t.columns().size(); ++k) {
          ASSERT_EQ(testing::value(got.columns()[k], static_cast<int32_t>(i)),
                    testing::value(t.columns()[k], expected[i]));
        }
      }
    }
  }
}

}  // namespace
}  // namespace relalg
