// Quote stripping and the three-way comparison of values, as integers and as bytes.
#include <gtest/gtest.h>

#include "operators/condition/comparison.h"

namespace relalg {
namespace {

TEST(comparison, stripquotesDropsTheFirstAndLastCharacterAfterAQuote) {
  EXPECT_EQ(stripquotes("'sales'"), "sales");
  EXPECT_EQ(stripquotes("'pear"), "pea");  // an unclosed quote still loses the last character
  EXPECT_EQ(stripquotes("'"), "");
  EXPECT_EQ(stripquotes("''"), "");
  EXPECT_EQ(stripquotes("sales'"), "sales'");
  EXPECT_EQ(stripquotes(""), "");
}

TEST(comparison, comparevaluesAsIntegersAndAsBytes) {
  EXPECT_GT(comparevalues("41", "'40", true), 0);  // the caller strips; "'40" reads as 0
  EXPECT_EQ(comparevalues("18x", "+18", true), 0);
  EXPECT_LT(comparevalues("-2147483648", "2147483647", true), 0);
  EXPECT_EQ(comparevalues("99999999999", "2147483647", true), 0);
  EXPECT_LT(comparevalues("10", "9", false), 0);
  EXPECT_LT(comparevalues("Z", "a", false), 0);
  EXPECT_GT(comparevalues("a ", "a", false), 0);
  EXPECT_GT(comparevalues("\xe9", "z", false), 0);
}

}  // namespace
}  // namespace relalg
