// Conversions between texts and 32-bit integers, as values are read, moved and compared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace relalg {

// Room for the longest integer text, "-2147483648".
using intbuffer = char[12];

// atoi's reading of a text, and how it went; small enough to be returned in a register, as
// conditions convert texts row by row.
struct intreading {
  int32_t number = 0;
  bool digits = false;
  bool saturated = false;  // the digits passed the signed 32-bit range
  bool trailing = false;   // characters follow the digits, and are ignored
};
// Leading white space, an optional sign, then digits up to the first other character; 0
// without digits; saturated to the signed 32-bit range instead of overflowing.
intreading readint(std::string_view text);

// readint's number alone: the integer that atoi would read.
inline int32_t texttoint(std::string_view text) { return readint(text).number; }

// Negative, 0 or positive as a is below, equal to or above b.
inline int comparenumbers(int32_t a, int32_t b) { return a < b ? -1 : (b < a ? 1 : 0); }

// The decimal text of an integer, written into the caller's buffer.
std::string_view inttotext(int32_t number, intbuffer& buffer);

// The decimal text of an integer, appended to a text.
void appendint(std::string& out, int32_t number);

}  // namespace relalg
