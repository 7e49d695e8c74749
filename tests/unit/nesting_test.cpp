// The scans over parentheses: argumenttext and the two operand splits, against plain scans.
#include <gtest/gtest.h>

#include <random>

#include "tree/nesting.h"

namespace relalg {
namespace {

TEST(nesting, argumenttextCutsTheFirstCall) {
  const std::string text = "project(rename(R,S(x,y)),x)xyz";
  const nesting parens(text);
  EXPECT_EQ(argumenttext(text, parens), "rename(R,S(x,y)),x");
  const std::string open = "select(R,EQ(a,1)";
  EXPECT_EQ(argumenttext(open, nesting(open)), "R,EQ(a,1)");
  EXPECT_EQ(nesting::deepestof("a(b(c))d("), 2);
  EXPECT_EQ(nesting::deepestof("))("), 0);
}

TEST(nesting, splitsKeepTheirFirstCharacterRules) {
  const std::string text = "(a),(b,c)|,x|(x,y),z";
  const nesting parens(text);
  const std::string_view all(text);
  // The unexamined "(" leaves the depth at -1 after its ")", so the first "," does not split.
  const operands quirk = splitoperand(all.substr(0, 9), parens);
  EXPECT_EQ(quirk.first, "(a),(b");
  EXPECT_EQ(quirk.rest, "c)");
  // The first character is never the separator, in either split.
  EXPECT_EQ(splitoperand(all.substr(10, 2), parens).first, ",x");
  EXPECT_EQ(splitcomparison(all.substr(10, 2), parens).first, ",x");
  // Counted for the depth in a comparison, the "(" hides the comma inside its group.
  const operands counted = splitcomparison(all.substr(13, 7), parens);
  EXPECT_EQ(counted.first, "(x,y)");
  EXPECT_EQ(counted.rest, "z");
  EXPECT_EQ(splitoperand(all.substr(13, 7), parens).first, "(x");
}

// The splits as plain scans, character by character, for comparison with the jumping ones.
operands plainsplit(std::string_view a, bool firstcounts) {
  int depth = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (i > 0 && a[i] == ',' && depth == 0) return {a.substr(0, i), a.substr(i + 1)};
    if (i == 0 && !firstcounts) continue;
    if (a[i] == '(') ++depth;
    if (a[i] == ')') --depth;
  }
  return {a, {}};
}

std::string_view plainargumenttext(std::string_view s) {
  const size_t open = s.find('(', 1);
  if (open == std::string_view::npos) return {};
  int depth = 0;
  for (size_t i = open + 1; i < s.size(); ++i) {
    if (s[i] == ')' && depth == 0) return s.substr(open + 1, i - open - 1);
    if (s[i] == '(') ++depth;
    if (s[i] == ')') --depth;
  }
  return s.substr(open + 1);
}

TEST(nesting, jumpingScansAgreeWithPlainScansOnEveryPiece) {
  std::mt19937 random(3);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (size_t length = random() % 24; length > 0; --length) text += "((),,a"[random() % 6];
    const nesting parens(text);
    const std::string_view all(text);
    for (size_t from = 0; from <= text.size(); ++from) {
      for (size_t to = from; to <= text.size(); ++to) {
        const std::string_view piece = all.substr(from, to - from);
        for (const bool firstcounts : {false, true}) {
          const operands fast =
              firstcounts ? splitcomparison(piece, parens) : splitoperand(piece, parens);
          const operands plain = plainsplit(piece, firstcounts);
          ASSERT_EQ(fast.first, plain.first) << piece;
          ASSERT_EQ(fast.rest, plain.rest) << piece;
        }
        if (piece.find('(', 1) != std::string_view::npos) {
          ASSERT_EQ(argumenttext(piece, parens), plainargumenttext(piece)) << piece;
        }
      }
    }
  }
}

}  // namespace
}  // namespace relalg
