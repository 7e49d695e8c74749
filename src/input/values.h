// Reading one value of a row into its column, by the column's type.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "input/readflags.h"
#include "input/source.h"
#include "model/column.h"

namespace relalg {

// Reads one value and appends it to the column; the separator after it (a "," or a line feed)
// stays in the input. Answers how the value stood: no flag when exactly as the output prints it.
readflags readvalue(source& ip, column& into);

namespace printeddigits {

inline constexpr uint64_t lownibbles = 0x0f0f0f0f0f0f0f0full;
inline constexpr uint64_t highnibbles = 0xf0f0f0f0f0f0f0f0ull;

// How many bytes of word, from its first in memory, are digits before one that is not; 8
// when all are. A byte is a digit when its high half is 3 and its low half at most 9; no
// sum carries from one byte into the next.
inline int leadingdigits(uint64_t word) {
  const uint64_t high = (word & highnibbles) ^ 0x3030303030303030ull;
  const uint64_t low = ((word & lownibbles) + 0x0606060606060606ull) & highnibbles;
  const uint64_t other = high | low;  // nonzero bytes: not digits
  const uint64_t marks =
      (((other & 0x7f7f7f7f7f7f7f7full) + 0x7f7f7f7f7f7f7f7full) | other) & 0x8080808080808080ull;
  return marks == 0 ? 8 : __builtin_ctzll(marks) >> 3;
}

// The number the first `digits` (1 to 7) bytes of word spell: moved to the top, the bytes
// below read as leading zeros, and pairs, fours and eights of digits are joined by multiplying.
inline uint32_t digitsvalue(uint64_t word, int digits) {
  uint64_t v = (word << (8 * (8 - digits))) & lownibbles;
  v = (v * 2561) >> 8;
  v = ((v & 0x00ff00ff00ff00ffull) * 6553601) >> 16;
  return static_cast<uint32_t>(((v & 0x0000ffff0000ffffull) * 42949672960001ull) >> 32);
}

}  // namespace printeddigits

// Fast path: an integer as printed, "0" or an optional "-" and up to nine digits without a
// leading zero, read from p on (p then points past it); false, taking nothing, for any other
// text. Where it answers true, readint of the same digits gives the same number. Inline: the
// reader of rows as printed calls it for every integer.
inline bool printedint(const char*& p, const char* end, int32_t& number) {
  const bool negative = p < end && *p == '-';
  const char* at = p + (negative ? 1 : 0);
  if (at >= end || *at < '0' || *at > '9') return false;
  if (*at == '0') {
    if (negative) return false;                                      // "-0" prints as "0"
    if (at + 1 < end && at[1] >= '0' && at[1] <= '9') return false;  // "07" prints as "7"
    number = 0;
    p = at + 1;
    return true;
  }
  // Up to seven digits followed by another byte are read from one word at once: no loop
  // whose end is mispredicted for every value.
  if (end - at >= 8) {
    uint64_t word;
    std::memcpy(&word, at, 8);
    const int digits = printeddigits::leadingdigits(word);
    if (digits < 8) {
      number = static_cast<int32_t>(printeddigits::digitsvalue(word, digits));
      if (negative) number = -number;
      p = at + digits;
      return true;
    }
  }
  uint32_t value = 0;
  const char* first = at;
  while (at < end && *at >= '0' && *at <= '9')
    value = value * 10 + static_cast<uint32_t>(*at++ - '0');
  if (at - first > 9) return false;  // ten digits may pass the 32-bit range
  number = negative ? -static_cast<int32_t>(value) : static_cast<int32_t>(value);
  p = at;
  return true;
}

}  // namespace relalg
