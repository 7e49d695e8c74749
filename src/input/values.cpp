// Reading integers as atoi reads them and texts between quotes.
#include "input/values.h"

#include <cstring>

namespace relalg {

namespace {

constexpr uint64_t lownibbles = 0x0f0f0f0f0f0f0f0full;
constexpr uint64_t highnibbles = 0xf0f0f0f0f0f0f0f0ull;

// How many bytes of word, from its first in memory, are digits before one that is not; 8
// when all are. A byte is a digit when its high half is 3 and its low half at most 9; no
// sum carries from one byte into the next.
int leadingdigits(uint64_t word) {
  const uint64_t high = (word & highnibbles) ^ 0x3030303030303030ull;
  const uint64_t low = ((word & lownibbles) + 0x0606060606060606ull) & highnibbles;
  const uint64_t other = high | low;  // nonzero bytes: not digits
  const uint64_t marks =
      (((other & 0x7f7f7f7f7f7f7f7full) + 0x7f7f7f7f7f7f7f7full) | other) & 0x8080808080808080ull;
  return marks == 0 ? 8 : __builtin_ctzll(marks) >> 3;
}

// The number the first `digits` (1 to 7) bytes of word spell: moved to the top, the bytes
// below read as leading zeros, and pairs, fours and eights of digits are joined by multiplying.
uint32_t digitsvalue(uint64_t word, int digits) {
  uint64_t v = (word << (8 * (8 - digits))) & lownibbles;
  v = (v * 2561) >> 8;
  v = ((v & 0x00ff00ff00ff00ffull) * 6553601) >> 16;
  return static_cast<uint32_t>(((v & 0x0000ffff0000ffffull) * 42949672960001ull) >> 32);
}

// An integer field that is not as printed, read as atoi reads it.
readflags readother(std::string_view field, std::vector<int32_t>& into) {
  const intreading r = readint(field);
  into.push_back(r.number);
  if (field.empty()) return readflag::empty;
  if (!r.digits) return readflag::nodigits;
  // Ten digits within the range print back as they stand.
  intbuffer buffer;
  if (!r.saturated && !r.trailing && inttotext(r.number, buffer) == field) return 0;
  readflags flags = readflag::reformatted;
  if (r.saturated) flags |= readflag::saturated;
  if (r.trailing) flags |= readflag::trailing;
  return flags;
}

}  // namespace

bool printedint(const char*& p, const char* end, int32_t& number) {
  const bool negative = p < end && *p == '-';
  const char* at = p + (negative ? 1 : 0);
  if (at >= end || *at < '0' || *at > '9') return false;
  if (*at == '0') {
    if (negative) return false;  // "-0" prints as "0"
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
    const int digits = leadingdigits(word);
    if (digits < 8) {
      number = static_cast<int32_t>(digitsvalue(word, digits));
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

readflags readvalue(source& ip, column& into) {
  if (into.type().holdsintegers()) {
    // An empty field (its separator comes first) reads as 0 and leaves the separator.
    const std::string_view field = ip.takeuntil(',', '\n');
    const char* p = field.data();
    const char* const end = p + field.size();
    int32_t number;
    std::vector<int32_t>& numbers = into.integerlist();
    if (printedint(p, end, number) && p == end) {
      numbers.push_back(number);
      return 0;
    }
    return readother(field, numbers);
  }
  const int first = ip.peek();
  // An empty field (its separator comes first) is the empty text and leaves the separator.
  if (first == ',' || first == '\n' || first == source::end) {
    into.addvalue({});
    return readflag::empty;
  }
  ip.skip();  // the opening quote, dropped whatever it is
  const std::string_view item = ip.takeuntil('\'', '\n');
  const bool closed = ip.peek() == '\'';
  if (closed) ip.skip();  // the closing quote; a line feed stays and ends the row
  if (item.size() < textref::longtext) {
    into.textlist(ip.bytes()).push_back(textref::shorttext(item.data(), item.size()));
  } else {
    into.addvalue(item);  // copied, with its length
  }
  return static_cast<readflags>((first == '\'' ? 0 : readflag::unquoted) |
                                (closed ? 0 : readflag::unclosed));
}

}  // namespace relalg
