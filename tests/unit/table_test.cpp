// Tables: rows sorted without repeats against plain sorts, distinct rows by hashing, gathering.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "model/rowset.h"
#include "model_support.h"
#include "parallel/parallel.h"

namespace relalg {
namespace {

using testing::readone;
using testing::rowtext;

using testing::comparerows;

std::optional<std::vector<int32_t>> firstdistinct(const table& t, size_t most) {
  return relalg::firstdistinct(rowvalues(t.columns()), most);
}

TEST(table, copiesAreIndependentAndLinesFollowTheRows) {
  const table source = readone("R(a int, b char(2))\n1,'x'\n2,'y'\n3,'z'\n");
  table copy = source;
  testing::eraserow(copy, 0);
  EXPECT_EQ(source.rowcount(), 3);
  ASSERT_EQ(copy.rowcount(), 2);
  EXPECT_EQ(rowtext(copy, 0), "2,'y',");
  ASSERT_TRUE(copy.lines().has_value());
  copy.renamecolumn(0, "c");  // a name changes no value: the lines stay
  EXPECT_TRUE(copy.lines().has_value());
  copy.addcolumn(source.columns()[0]);
  EXPECT_FALSE(copy.lines().has_value());
  EXPECT_EQ(table().rowcount(), 0);
}

// The selection sort with removal of neighbouring duplicates, step by step, as the slow
// reference for the fast sortunique.
void selectionsortunique(table& t) {
  int32_t n = t.rowcount();
  for (int32_t i = 0; i < n - 1; ++i) {
    int32_t m = i;
    for (int32_t j = i; j < n; ++j) {
      if (comparerows(t, j, m) < 0) m = j;
    }
    testing::swaprows(t, i, m);
  }
  for (int32_t k = 0; k < n - 1;) {
    if (comparerows(t, k, k + 1) == 0) {
      testing::eraserow(t, k);
      --n;
    } else {
      ++k;
    }
  }
}

TEST(table, sortuniqueMatchesASelectionSort) {
  std::mt19937 random(11);
  for (int round = 0; round < 40; ++round) {
    std::string text = "R(a int, b char(1), c int)\n";
    const int rows =
        static_cast<int>(random() % 300);  // past the size where sorting turns to radix
    for (int i = 0; i < rows; ++i) {
      const int32_t wide[] = {-2147483647 - 1, -1, 0, 70000, 2147483647};
      text += std::to_string(wide[random() % 5]) + ",'" + "ab\xc3"[random() % 3] + "'," +
              std::to_string(static_cast<int>(random() % 3) - 1) + "\n";
    }
    const table fast = readone(text);
    table slow = readone(text);
    table sorted = fast;
    sorted.sortunique();
    selectionsortunique(slow);
    ASSERT_EQ(sorted.rowcount(), slow.rowcount());
    for (int32_t row = 0; row < slow.rowcount(); ++row) {
      EXPECT_EQ(rowtext(sorted, row), rowtext(slow, row));
    }
    EXPECT_EQ(fast.rowcount(), rows);  // the source of the clones is untouched
  }
}

TEST(table, sortuniqueOnAFewRows) {
  table t = readone("R(a int)\n3\n1\n3\n2\n1\n");
  t.sortunique();
  ASSERT_EQ(t.rowcount(), 3);
  EXPECT_EQ(rowtext(t, 0) + rowtext(t, 1) + rowtext(t, 2), "1,2,3,");
  table one = readone("R(a int)\n5\n");
  one.sortunique();
  EXPECT_EQ(one.rowcount(), 1);
  table none;
  none.sortunique();
  EXPECT_EQ(none.rowcount(), 0);
}

// The reference: every row sorted by comparerows, the first of each run of equals kept.
std::vector<int32_t> sortedplainly(const table& t) {
  std::vector<int32_t> rows(static_cast<size_t>(t.rowcount()));
  std::iota(rows.begin(), rows.end(), 0);
  std::stable_sort(rows.begin(), rows.end(),
                   [&](int32_t a, int32_t b) { return comparerows(t, a, b) < 0; });
  rows.erase(std::unique(rows.begin(), rows.end(),
                         [&](int32_t a, int32_t b) { return comparerows(t, a, b) == 0; }),
             rows.end());
  return rows;
}

// A table of the given rows whose values come from pools of the given sizes: small pools
// give few distinct rows, large ones many. Texts differ in length, in bytes past 127 and in
// a trailing byte, so that neither hashing nor comparing may cut them short.
std::string randomtable(std::mt19937& random, int rows, uint32_t pool) {
  std::string text = "R(t char(4), n int, u char(2))\n";
  const std::string bytes[] = {"", "a", "a\xc3", "ab", "b", "\xff"};
  for (int i = 0; i < rows; ++i) {
    const uint32_t pick = random() % pool;
    text += "'" + bytes[pick % 6] + std::to_string(pick / 6 % 5) + "',";
    text += std::to_string(static_cast<int32_t>(random() % pool) - 2147483647 * (pick % 2)) + ",";
    text += "'" + bytes[random() % (pool < 6 ? pool : 6)] + "'\n";
  }
  return text;
}

TEST(table, hashedRowsSortAsAllRowsSortPlainly) {
  std::mt19937 random(15);
  int hashed = 0;
  for (int round = 0; round < 60; ++round) {
    const int rows = 4096 + static_cast<int>(random() % 4000);
    // From one value per column to more distinct rows than hashing keeps.
    const uint32_t pool = 1u << (random() % 14);
    const table t = readone(randomtable(random, rows, pool));
    ASSERT_EQ(t.rowcount(), rows);
    const std::vector<int32_t> expected = sortedplainly(t);
    hashed += firstdistinct(t, static_cast<size_t>(rows) / 8).has_value();
    ASSERT_EQ(t.distinctrows().size(), expected.size()) << "round " << round;
    const std::vector<int32_t> got = t.distinctrows();
    for (size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(comparerows(t, got[i], expected[i]), 0) << "round " << round << " row " << i;
    }
  }
  EXPECT_GT(hashed, 10);  // both ways are taken
  EXPECT_LT(hashed, 50);
}

// Many rows are gathered on two threads, the columns dealt out between them: every column must
// end up with the rows asked for, in their order, repeats included.
TEST(table, manyRowsGatheredInEveryColumn) {
  std::mt19937 random(19);
  const testing::splitfrom small(64);
  std::string text = "R(a int, b char(3), c int, d char(1))\n";
  const int rows = 700;
  for (int row = 0; row < rows; ++row) {
    text += std::to_string(row) + ",'" + std::to_string(row % 997) + "'," + std::to_string(-row) +
            ",'" + std::string(1, static_cast<char>('a' + row % 26)) + "'\n";
  }
  const table source = readone(text);
  table kept = source;
  std::vector<int32_t> picked;
  for (int i = 0; i < rows + 5000; ++i) picked.push_back(static_cast<int32_t>(random() % rows));
  kept.gather(picked);
  ASSERT_EQ(kept.rowcount(), rows + 5000);
  ASSERT_TRUE(kept.lines().has_value());
  std::string lines;
  kept.lines()->print(0, picked.size(), [&](auto piece) { lines += piece; });
  std::string expected;
  for (size_t i = 0; i < picked.size(); ++i) {
    ASSERT_EQ(rowtext(kept, static_cast<int32_t>(i)), rowtext(source, picked[i])) << i;
    const std::string row = rowtext(source, picked[i]);
    expected += row.substr(0, row.size() - 1) + "\n";
  }
  EXPECT_EQ(lines, expected);
}

// A large table is hashed in two halves at once: rows only the second half holds must
// follow the first half's, in row order, and no row may be kept twice.
TEST(table, firstdistinctOfTwoHalvesIsTheFirstOfEachInRowOrder) {
  const testing::splitfrom small(64);
  std::string text = "R(a int, b char(2))\n";
  const int rows = 1400;
  for (int row = 0; row < rows; ++row) {
    // Values 0-99 throughout, 100-149 from the middle on, 150 once as the last row.
    const int value = row == rows - 1 ? 150 : row < rows / 2 ? row % 100 : row % 150;
    text += std::to_string(value % 7) + ",'" + std::to_string(value) + "'\n";
  }
  const table t = readone(text);
  const auto first = firstdistinct(t, static_cast<size_t>(rows) / 8);
  ASSERT_TRUE(first.has_value());
  std::vector<int32_t> expected;
  for (int32_t row = 0; row < 100; ++row) expected.push_back(row);
  for (int32_t row = rows / 2; row < rows / 2 + 150; ++row) {
    if (row % 150 >= 100) expected.push_back(row);
  }
  expected.push_back(rows - 1);
  EXPECT_EQ(*first, expected);
  EXPECT_FALSE(firstdistinct(t, 150).has_value());  // 151 distinct rows are one too many
  const std::vector<int32_t> sorted = t.distinctrows();
  const std::vector<int32_t> plain = sortedplainly(t);
  ASSERT_EQ(sorted.size(), plain.size());
  for (size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(comparerows(t, sorted[i], plain[i]), 0);
}

// Kept rows are compared by copies of their values, long texts by reference: around those
// lengths, equal texts must be one row and texts that differ only in their last byte two.
TEST(table, firstdistinctTellsLongTextsApartByTheirLastByte) {
  std::string text = "R(a char(0), b int)\n";
  const size_t lengths[] = {63, 64, 65, 200, 65534, 65535, 70000};
  std::vector<int32_t> expected;
  int32_t row = 0;
  for (const size_t length : lengths) {
    for (const char last : {'x', 'y', 'x'}) {
      if (last == 'y' || row % 3 == 0) expected.push_back(row);
      text += "'" + std::string(length - 1, 'a') + last + "',7\n";
      ++row;
    }
  }
  const table t = readone(text);
  const auto first = firstdistinct(t, static_cast<size_t>(row));
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, expected);
}

TEST(table, firstdistinctKeepsTheFirstOfEachInRowOrder) {
  const table t = readone("R(a int, b char(1))\n2,'x'\n1,'y'\n2,'x'\n2,'y'\n1,'y'\n2,'x\n");
  const auto first = firstdistinct(t, 4);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, (std::vector<int32_t>{0, 1, 3}));
  EXPECT_FALSE(firstdistinct(t, 2).has_value());  // a third distinct row is one too many
  EXPECT_TRUE(firstdistinct(table(), 0).has_value());
  // Nearly every one of the first 4096 rows distinct: given up, however many may differ.
  std::string text = "R(a int)\n";
  for (int row = 0; row < 5000; ++row) text += std::to_string(row % 3600) + "\n";
  EXPECT_FALSE(firstdistinct(readone(text), 5000).has_value());
  text = "R(a int)\n";
  for (int row = 0; row < 5000; ++row) text += std::to_string(row % 3584) + "\n";
  EXPECT_EQ(firstdistinct(readone(text), 5000)->size(), 3584u);
}

}  // namespace
}  // namespace relalg
