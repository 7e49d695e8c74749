// Columns: copies independent of their sources, gathering and merging rows, and sort keys.
#include <gtest/gtest.h>

#include <random>

#include "model_support.h"

namespace relalg {
namespace {

using testing::comparerows;
using testing::intcolumn;
using testing::textcolumn;
using testing::value;

TEST(column, aCopyIsIndependentOfItsSourceBothWays) {
  column source = textcolumn(5, {"a", "b", "c"});
  source.name = "x";
  column copy = source;
  EXPECT_EQ(copy.name, "x");
  EXPECT_EQ(copy.type().width(), 5);
  copy.addvalue("d");
  EXPECT_EQ(source.size(), 3);
  source.gather({1, 0});
  ASSERT_EQ(copy.size(), 4);
  EXPECT_EQ(value(copy, 0), "a");
  EXPECT_EQ(value(source, 0), "b");
  EXPECT_EQ(value(copy, 3), "d");
}

TEST(column, textsOutliveTheColumnTheyWereAddedToAndItsGrowth) {
  std::optional<column> copy;
  {
    column source("", columntype::text(1));
    for (int i = 0; i < 2000; ++i)
      source.addvalue(std::string(static_cast<size_t>(i % 7), 'a' + i % 26));
    copy = source;
    for (int i = 0; i < 2000; ++i) source.addvalue(std::string(300, 'z'));  // new blocks
    copy->addvalue("own");  // a block of the copy's own, never one the source writes into
  }
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(value(*copy, i), std::string(static_cast<size_t>(i % 7), 'a' + i % 26));
  }
  EXPECT_EQ(value(*copy, 2000), "own");
}

TEST(column, valuesOfOneTypeMoveAcrossColumnsAndKeepTheirBytes) {
  column left = textcolumn(5, {"b", "a"});
  {
    const column right = textcolumn(5, {"a", "c"});
    left.append(right);
  }  // the appended texts' bytes outlive the column they came from
  ASSERT_EQ(left.size(), 4);
  EXPECT_EQ(value(left, 3), "c");
  EXPECT_GT(comparerows(left, 0, 2), 0);
  EXPECT_EQ(comparerows(left, 1, 2), 0);
  column numbers = intcolumn({"4"});
  numbers.append(intcolumn({"-4"}));
  EXPECT_EQ(value(numbers, 1), "-4");
  EXPECT_GT(comparerows(numbers, 0, 1), 0);
  column merged = numbers.emptycopy();
  merged.pick(numbers, intcolumn({"9"}), {-1, 1, 0});
  EXPECT_EQ(value(merged, 0), "9");
  EXPECT_EQ(value(merged, 1), "-4");
  EXPECT_EQ(value(merged, 2), "4");
}

TEST(column, gatherTakesRowsInOrderAndMayRepeatThem) {
  column c = intcolumn({"10", "20", "30"});
  const column copy = c;
  c.gather({2, 0, 2});
  ASSERT_EQ(c.size(), 3);
  EXPECT_EQ(value(c, 0), "30");
  EXPECT_EQ(value(c, 1), "10");
  EXPECT_EQ(value(c, 2), "30");
  EXPECT_EQ(value(copy, 0), "10");
  c.gather({});
  EXPECT_EQ(c.size(), 0);
}

TEST(column, printedAndPlainFormsAndTypes) {
  const column n = intcolumn({"-2147483648"});
  const column t = textcolumn(5, {"ab"});
  EXPECT_EQ(n.printvalue(0), "-2147483648");
  EXPECT_EQ(t.printvalue(0), "'ab'");
  EXPECT_EQ(value(t, 0), "ab");
  EXPECT_EQ(columntype::text(0).typetext(), "char(0)");
  EXPECT_EQ(columntype::text(-3).typetext(), "char(-3)");
  EXPECT_EQ(n.type().typetext(), "int");
  // A char(0) column holds texts, yet conditions compare it as integers.
  EXPECT_FALSE(columntype::text(0).holdsintegers());
  EXPECT_TRUE(columntype::text(0).comparesasinteger());
  EXPECT_FALSE(columntype::text(1).comparesasinteger());
  EXPECT_TRUE(columntype::integer().comparesasinteger());
}

TEST(column, convertedPassesValuesThroughTheirText) {
  const column texts = textcolumn(3, {"12abc", "x", "-7"});
  const column numbers = texts.convertedto(columntype::integer());
  EXPECT_EQ(value(numbers, 0), "12");
  EXPECT_EQ(value(numbers, 1), "0");
  EXPECT_EQ(value(numbers, 2), "-7");
  const column back = numbers.convertedto(columntype::text(9));
  EXPECT_EQ(back.printvalue(0), "'12'");
  EXPECT_EQ(back.type().width(), 9);
}

// The radix sort rests on this: keys order rows exactly as their values compare. Asked for
// some rows only, in any order, the keys order those rows alike.
void expectkeysfollowvalues(const column& c) {
  std::vector<int32_t> rows;
  for (int32_t row = c.size() - 1; row >= 0; row -= 2) rows.push_back(row);
  const std::vector<uint32_t> keys = c.sortkeys(rows);
  ASSERT_EQ(keys.size(), rows.size());
  for (size_t a = 0; a < rows.size(); ++a) {
    for (size_t b = 0; b < rows.size(); ++b) {
      const int order = comparerows(c, rows[a], rows[b]);
      EXPECT_EQ(order < 0, keys[a] < keys[b]) << a << " " << b;
      EXPECT_EQ(order == 0, keys[a] == keys[b]) << a << " " << b;
    }
  }
}

TEST(column, sortkeysFollowTheValuesOrder) {
  std::mt19937 random(7);
  column t("", columntype::text(3));
  column n("", columntype::integer());
  const std::string alphabet = std::string("aAb\x80\xff") + '\0';
  for (int i = 0; i < 150; ++i) {
    std::string text;
    for (size_t length = random() % 4; length > 0; --length)
      text += alphabet[random() % alphabet.size()];
    t.addvalue(text);
    const int32_t picks[] = {0, -1, 1, 2147483647, -2147483647 - 1, static_cast<int32_t>(random())};
    n.integerlist().push_back(picks[random() % 6]);
  }
  expectkeysfollowvalues(t);
  expectkeysfollowvalues(n);
}

}  // namespace
}  // namespace relalg
