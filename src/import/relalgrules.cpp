// The rules of relalg's reader that an import keeps, checked against relalg by the tests.
#include "import/relalgrules.h"

#include <cstdint>
#include <limits>

namespace relalgimport {

bool readsasint(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  const std::string_view digits = text.substr(negative ? 1 : 0);
  // relalg prints an int without leading zeros, "+" or "-0", and saturates past 32 bits.
  if (digits.empty() || digits.size() > 10 || (digits.front() == '0' && text.size() > 1)) {
    return false;
  }
  int64_t magnitude = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
  }
  const int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + (negative ? 1 : 0);
  return magnitude <= limit;
}

std::string_view nameflaw(std::string_view name) {
  if (name.empty()) return "is empty";
  for (const char c : name) {
    switch (c) {
      case ' ':
        return "holds a blank";
      case '\t':
        return "holds a tab";
      case '(':
        return "holds a \"(\"";
      case ')':
        return "holds a \")\"";
      case ',':
        return "holds a comma";
      case '\n':
        return "holds a line feed";
      case '\r':
        return "holds a carriage return";
      case '\'':
        return "holds a single quote";
      case '\0':
        return "holds a NUL byte";
      default:
        break;
    }
  }
  return {};
}

std::string_view valueflaw(char c) {
  switch (c) {
    case '\'':
      return "holds a single quote, which relalg reads as the end of the text (--quote CHAR "
             "writes CHAR in its place)";
    case '\n':
      return "holds a line feed, which would end the row";
    case '\r':
      return "holds a carriage return, a line break that a row cannot hold";
    default:
      return "holds a NUL byte, which has no place in a text file";
  }
}

}  // namespace relalgimport
