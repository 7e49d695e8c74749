// How one value stood in the input, as its reader found it: the rules it applied silently.
#pragma once

#include <cstdint>

namespace relalg {

// A set of the flags below; 0 when the value stood exactly as the output prints it.
using readflags = uint8_t;

namespace readflag {
// Read exactly, printed otherwise: leading zeros or blanks, a "+", "-0", ten digits.
constexpr readflags reformatted = 1;
// Nothing before the separator: 0, or the empty text.
constexpr readflags empty = 2;
// A text whose first character, dropped as its opening quote, is no quote.
constexpr readflags unquoted = 4;
// A text without its closing quote, ended at the end of its line.
constexpr readflags unclosed = 8;
// Characters after a number, ignored.
constexpr readflags trailing = 16;
// A number without digits, read as 0.
constexpr readflags nodigits = 32;
// A number beyond the 32-bit range, read as the nearest end of it.
constexpr readflags saturated = 64;
}  // namespace readflag

}  // namespace relalg
