// The parentheses of a query text: their matching pairs, their depth, and the two scans that
// cut argument texts and operands out of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace relalg {

// Built once per query in one pass, so that every later scan jumps over a parenthesised part
// instead of walking it again: deep nesting stays linear, not quadratic.
class nesting {
 public:
  // Queries nesting deeper than this evaluate to the empty table without being evaluated.
  static constexpr int64_t maxnesting = 100000;

  explicit nesting(std::string_view text);

  // The deepest count of open parentheses met in one pass over a text, ")" counting down.
  static int64_t deepestof(std::string_view text);

  // The index in s of the ")" that closes the "(" at s[open], or npos when s holds none;
  // s must be a part of the text this was built over.
  size_t closing(std::string_view s, size_t open) const;

 private:
  std::string_view text;
  // Each "(" of the text in ascending order, and the index of its ")" (npos when unclosed).
  std::vector<size_t> opens;
  std::vector<size_t> closes;
};

// The index of the first a or b in s, or npos.
size_t findeither(std::string_view s, char a, char b, size_t from = 0);

// The text inside the parentheses of the first call in s: from after the first "(" at
// position 1 or later to its matching ")", or to the end of s when none closes it.
std::string_view argumenttext(std::string_view s, const nesting& parens);

// An argument text cut at its first "," at depth 0: the first operand and the rest after the
// comma. Without such a comma the whole text is the operand and the rest is empty.
struct operands {
  std::string_view first;
  std::string_view rest;
};

// The operand splitting of the operators and of AND and OR: the first character belongs to
// the operand unexamined.
operands splitoperand(std::string_view a, const nesting& parens);
// The split of a comparison: the first character counts for the depth, though it is never
// taken for the separator.
operands splitcomparison(std::string_view a, const nesting& parens);

}  // namespace relalg
