// Selections over many rows, asked in two halves at once, against the condition row by row.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "condition/condition.h"
#include "query/database.h"
#include "syntax/querytree.h"

namespace relalg {
namespace {

TEST(select, manyRowsPassAsTheConditionAnswersRowByRow) {
  std::mt19937 random(20);
  std::string text = "R(a int, b char(4), c char(3))\n";
  const int rows = 70001;
  for (int row = 0; row < rows; ++row) {
    const auto n = static_cast<int>(random() % 200) - 100;
    text += std::to_string(n) + ",'" + std::to_string(random() % 50) + "','" +
            std::string(1 + random() % 2, static_cast<char>('a' + random() % 3)) + "'\n";
  }
  source ip(text);
  const table t = *table::read(ip);
  // Integers, texts against constants and against each other, texts read as integers.
  for (const char* condition : {"GT(a,7)", "EQ(b,'1')", "AND(NEQ(c,'aa'),LTE(b,a))",
                                "OR(GTE(c,b),LT(a,'-50'))", "NOT(EQ(c,'b'))", "EQ(b,c)"}) {
    const std::string query = std::string("select(R,") + condition + ")";
    const querytree tree(query);
    database w({t});
    const table got = w.query(tree);
    const class condition z(tree, tree.nodes.front().condition, columnlist::of(t));
    std::vector<int32_t> expected;
    for (int32_t row = 0; row < rows; ++row) {
      if (z.evaluatecondition(&row)) expected.push_back(row);
    }
    ASSERT_EQ(got.rowcount(), static_cast<int32_t>(expected.size())) << condition;
    for (size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(got.columns[0]->value(static_cast<int32_t>(i)), t.columns[0]->value(expected[i]));
      ASSERT_EQ(got.columns[1]->value(static_cast<int32_t>(i)), t.columns[1]->value(expected[i]));
    }
  }
}

}  // namespace
}  // namespace relalg
