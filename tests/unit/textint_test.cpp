// The text to integer conversion: atoi's reading, saturated to 32 bits.
#include <gtest/gtest.h>

#include "model/textint.h"

namespace relalg {
namespace {

TEST(texttoint, readsAsAtoiDoes) {
  EXPECT_EQ(texttoint("-7"), -7);
  EXPECT_EQ(texttoint("+5"), 5);
  EXPECT_EQ(texttoint(" \t42"), 42);
  EXPECT_EQ(texttoint("12abc"), 12);
  EXPECT_EQ(texttoint("abc"), 0);
  EXPECT_EQ(texttoint(""), 0);
  EXPECT_EQ(texttoint("-"), 0);
  EXPECT_EQ(texttoint("- 5"), 0);
}

TEST(texttoint, saturatesOutsideTheRange) {
  EXPECT_EQ(texttoint("2147483647"), 2147483647);
  EXPECT_EQ(texttoint("2147483648"), 2147483647);
  EXPECT_EQ(texttoint("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(texttoint("-2147483649"), -2147483647 - 1);
  EXPECT_EQ(texttoint("99999999999999999999999999"), 2147483647);
  EXPECT_EQ(texttoint("-00000000000000000000000012"), -12);
}

TEST(readint, tellsWhatFollowedTheDigitsAndWhetherTheySaturated) {
  const intreading trailing = readint(" 12abc");
  EXPECT_TRUE(trailing.digits);
  EXPECT_TRUE(trailing.trailing);
  EXPECT_FALSE(readint(" 12").trailing);
  EXPECT_FALSE(readint("abc").digits);
  EXPECT_FALSE(readint("abc").trailing);
  EXPECT_FALSE(readint("-2147483648").saturated);
  EXPECT_TRUE(readint("-2147483649").saturated);
  EXPECT_TRUE(readint("99999999999999999999").saturated);
  EXPECT_FALSE(readint("-00000000000000000000000012").saturated);
}

TEST(inttotext, roundTripsTheExtremes) {
  for (const int32_t n : {0, 1, -1, 2147483647, -2147483647 - 1}) {
    intbuffer buffer;
    EXPECT_EQ(texttoint(inttotext(n, buffer)), n);
  }
  intbuffer buffer;
  EXPECT_EQ(inttotext(-2147483647 - 1, buffer), "-2147483648");
}

}  // namespace
}  // namespace relalg
