// Conversions between texts and 32-bit integers, as values are read, moved and compared.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace relalg {

// Room for the longest integer text, "-2147483648".
using intbuffer = char[12];

// atoi's reading (leading white space, an optional sign, then digits up to the first other
// character; 0 without digits), saturated to the signed 32-bit range instead of overflowing.
int32_t texttoint(std::string_view text);

// Negative, 0 or positive as a is below, equal to or above b.
inline int comparenumbers(int32_t a, int32_t b) { return a < b ? -1 : (b < a ? 1 : 0); }

// The decimal text of an integer, written into the caller's buffer.
std::string_view inttotext(int32_t number, intbuffer& buffer);

// The decimal text of an integer, appended to a text.
void appendint(std::string& out, int32_t number);

}  // namespace relalg
