// Rows printed on two threads come out exactly as printed on one, whatever their widths.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>

#include "driver/printbuffer.h"
#include "driver/rowsalongside.h"
#include "model/charcolumn.h"
#include "model/intcolumn.h"

namespace relalg {
namespace {

std::string printed(const table& t, bool alongside) {
  std::ostringstream op;
  printbuffer out(op);
  out.put("head\n");  // what came before the rows stays before them
  if (alongside) {
    const rowlists from(t);
    putrowsalongside(
        from.rows, true,
        [&](printbuffer& into, size_t first, size_t last) { into.putrows(from, first, last); },
        out);
  } else {
    out.putrows(t);
  }
  out.put("tail\n");
  out.flush();
  return op.str();
}

// Rows with an integer and a text; one text in `longevery` is longer than a buffer passed
// between the threads, so rows cross buffers as well as ranges.
table randomrows(std::mt19937& random, int32_t rows, int32_t longevery) {
  table t;
  auto numbers = std::make_shared<intcolumn>();
  auto texts = std::make_shared<charcolumn>(8);
  numbers->name = "n";
  texts->name = "t";
  for (int32_t row = 0; row < rows; ++row) {
    numbers->addvalue(std::to_string(static_cast<int32_t>(random())));
    const size_t length = row % longevery == 7 ? 300000 + random() % 1000 : random() % 40;
    texts->addvalue(std::string(length, static_cast<char>('a' + row % 26)));
  }
  t.addcolumn(numbers);
  t.addcolumn(texts);
  return t;
}

// Where two outputs first differ; npos when they are the same. Outputs run to megabytes,
// too long to show whole.
size_t firstdifference(const std::string& a, const std::string& b) {
  const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (at.first == a.end() && at.second == b.end()) return std::string::npos;
  return static_cast<size_t>(at.first - a.begin());
}

TEST(rowsalongside, printsWhatOneThreadPrints) {
  std::mt19937 random(16);
  for (const int32_t rows : {0, 1000, 65535, 65536, 200001}) {
    const table t = randomrows(random, rows, 1 << 30);
    EXPECT_EQ(firstdifference(printed(t, true), printed(t, false)), std::string::npos)
        << rows << " rows";
  }
}

TEST(rowsalongside, rowsLongerThanABufferStayInOrder) {
  std::mt19937 random(17);
  const table t = randomrows(random, 70000, 5000);
  EXPECT_EQ(firstdifference(printed(t, true), printed(t, false)), std::string::npos);
}

}  // namespace
}  // namespace relalg
