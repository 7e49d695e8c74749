// Tables written with their rows printed on two threads against the same rows printed on one.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>

#include "model_support.h"
#include "output/printbuffer.h"
#include "output/tablewriter.h"

namespace relalg {
namespace {

std::string printed(const table& t, bool split) {
  std::ostringstream op;
  printbuffer out(op);
  out.put("head\n");  // what came before the rows stays before them
  writetable(t, out, split);
  out.put("tail\n");
  out.flush();
  return op.str();
}

// Rows with an integer and a text; one text in `longevery` is longer than a buffer passed
// between the threads, so rows cross buffers as well as ranges.
table randomrows(std::mt19937& random, int32_t rows, int32_t longevery) {
  column numbers("n", columntype::integer());
  column texts("t", columntype::text(8));
  for (int32_t row = 0; row < rows; ++row) {
    numbers.addvalue(std::to_string(static_cast<int32_t>(random())));
    const size_t length = row % longevery == 7 ? 300000 + random() % 1000 : random() % 40;
    texts.addvalue(std::string(length, static_cast<char>('a' + row % 26)));
  }
  return table("T", {numbers, texts});
}

// Where two outputs first differ; npos when they are the same. Outputs run to megabytes,
// too long to show whole.
size_t firstdifference(const std::string& a, const std::string& b) {
  const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (at.first == a.end() && at.second == b.end()) return std::string::npos;
  return static_cast<size_t>(at.first - a.begin());
}

TEST(tablewriter, printsOnTwoThreadsWhatOneThreadPrints) {
  const testing::splitfrom small(64);
  std::mt19937 random(16);
  for (const int32_t rows : {0, 63, 64, 4097, 20001}) {
    const table t = randomrows(random, rows, 1 << 30);
    EXPECT_EQ(firstdifference(printed(t, true), printed(t, false)), std::string::npos)
        << rows << " rows";
  }
}

TEST(tablewriter, rowsLongerThanABufferStayInOrder) {
  const testing::splitfrom small(64);
  std::mt19937 random(17);
  const table t = randomrows(random, 12000, 900);
  EXPECT_EQ(firstdifference(printed(t, true), printed(t, false)), std::string::npos);
}

// The rows of a product of tables read as printed print as their lines joined, on two threads.
TEST(tablewriter, joinedLinesOnTwoThreads) {
  const testing::splitfrom small(64);
  std::string a = "A(n int, t char(4))\n";
  for (int i = 0; i < 150; ++i) a += std::to_string(i) + ",'" + std::to_string(i % 7) + "'\n";
  const table product = testing::evaluated("product(A,A)", testing::readtables(a));
  ASSERT_TRUE(product.lines() && !product.lines()->wholelines());
  const table plain(product.name, product.columns());
  EXPECT_EQ(firstdifference(printed(product, true), printed(plain, false)), std::string::npos);
}

}  // namespace
}  // namespace relalg
