// Columns: clones independent of their sources, row operations, and sort keys in row order.
#include <gtest/gtest.h>

#include <random>

#include "model/charcolumn.h"
#include "model/intcolumn.h"

namespace relalg {
namespace {

charcolumn texts(std::initializer_list<const char*> values) {
  charcolumn c(5);
  for (const char* v : values) c.addvalue(v);
  return c;
}

TEST(column, cloneIsIndependentOfItsSourceBothWays) {
  charcolumn source = texts({"a", "b", "c"});
  source.name = "x";
  const auto copy = source.clone();
  EXPECT_EQ(copy->name, "x");
  EXPECT_EQ(copy->width(), 5);
  copy->addvalue("d");
  EXPECT_EQ(source.size(), 3);
  source.eraserow(0);
  ASSERT_EQ(copy->size(), 4);
  EXPECT_EQ(copy->value(0), "a");
  EXPECT_EQ(source.value(0), "b");
  source.swaprows(0, 1);
  EXPECT_EQ(copy->value(1), "b");
}

TEST(column, textsOutliveTheColumnTheyWereAddedToAndItsGrowth) {
  std::shared_ptr<column> copy;
  std::string expected;
  {
    charcolumn source(1);
    for (int i = 0; i < 2000; ++i)
      source.addvalue(std::string(static_cast<size_t>(i % 7), 'a' + i % 26));
    copy = source.clone();
    for (int i = 0; i < 2000; ++i)
      source.addvalue(std::string(300, 'z'));  // new blocks, none moved
  }
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(copy->value(i), std::string(static_cast<size_t>(i % 7), 'a' + i % 26));
  }
}

TEST(column, valuesOfOneTypeMoveAcrossColumnsAndKeepTheirBytes) {
  charcolumn left = texts({"b", "a"});
  {
    const charcolumn right = texts({"a", "c"});
    left.appendall(right);
  }  // the appended texts' bytes outlive the column they came from
  ASSERT_EQ(left.size(), 4);
  EXPECT_EQ(left.value(3), "c");
  EXPECT_GT(left.comparerows(0, 2), 0);
  EXPECT_EQ(left.comparerows(1, 2), 0);
  intcolumn numbers;
  numbers.addvalue("4");
  intcolumn more;
  more.addvalue("-4");
  numbers.appendall(more);
  EXPECT_EQ(numbers.value(1), "-4");
  EXPECT_GT(numbers.comparerows(0, 1), 0);
}

TEST(column, keeprowsTakesRowsInOrderAndMayRepeatThem) {
  intcolumn c;
  for (const char* v : {"10", "20", "30"}) c.addvalue(v);
  const auto copy = c.clone();
  c.keeprows({2, 0, 2});
  ASSERT_EQ(c.size(), 3);
  EXPECT_EQ(c.value(0), "30");
  EXPECT_EQ(c.value(1), "10");
  EXPECT_EQ(c.value(2), "30");
  EXPECT_EQ(copy->value(0), "10");
  c.keeprows({});
  EXPECT_EQ(c.size(), 0);
}

TEST(column, printedAndPlainForms) {
  intcolumn n;
  n.addvalue("-2147483648");
  charcolumn t = texts({"ab"});
  EXPECT_EQ(n.printvalue(0), "-2147483648");
  EXPECT_EQ(t.printvalue(0), "'ab'");
  EXPECT_EQ(t.value(0), "ab");
  EXPECT_EQ(charcolumn(0).typetext(), "char(0)");
  EXPECT_EQ(charcolumn(-3).typetext(), "char(-3)");
  EXPECT_EQ(n.typetext(), "int");
}

TEST(column, comparerowsOrdersBytesUnsignedAndIntegersOverTheWholeRange) {
  const charcolumn t = texts({"Abc", "abc", "abcd", "\xe9", "~"});
  EXPECT_LT(t.comparerows(0, 1), 0);
  EXPECT_LT(t.comparerows(1, 2), 0);
  EXPECT_GT(t.comparerows(3, 4), 0);
  intcolumn n;
  for (const char* v : {"2147483647", "-1", "-2147483648", "1"}) n.addvalue(v);
  EXPECT_GT(n.comparerows(0, 1), 0);
  EXPECT_LT(n.comparerows(2, 3), 0);
  EXPECT_EQ(n.comparerows(1, 1), 0);
}

// The radix sort rests on this: keys order rows exactly as comparerows does.
// Asked for some rows only, in any order, the keys order those rows alike.
template <typename columntype>
void expectkeysfollowcomparerows(const columntype& c) {
  std::vector<int32_t> rows;
  for (int32_t row = c.size() - 1; row >= 0; row -= 2) rows.push_back(row);
  const std::vector<uint32_t> keys = c.sortkeys(rows);
  ASSERT_EQ(keys.size(), rows.size());
  for (size_t a = 0; a < rows.size(); ++a) {
    for (size_t b = 0; b < rows.size(); ++b) {
      const int order = c.comparerows(rows[a], rows[b]);
      EXPECT_EQ(order < 0, keys[a] < keys[b]) << a << " " << b;
      EXPECT_EQ(order == 0, keys[a] == keys[b]) << a << " " << b;
    }
  }
}

TEST(column, sortkeysFollowComparerows) {
  std::mt19937 random(7);
  charcolumn t(3);
  intcolumn n;
  const std::string alphabet = std::string("aAb\x80\xff") + '\0';
  for (int i = 0; i < 150; ++i) {
    std::string text;
    for (size_t length = random() % 4; length > 0; --length)
      text += alphabet[random() % alphabet.size()];
    t.addvalue(text);
    const int32_t picks[] = {0, -1, 1, 2147483647, -2147483647 - 1, static_cast<int32_t>(random())};
    n.values.edit().push_back(picks[random() % 6]);
  }
  expectkeysfollowcomparerows(t);
  expectkeysfollowcomparerows(n);
}

}  // namespace
}  // namespace relalg
