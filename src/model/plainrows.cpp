// Reading rows that stand exactly as printed.
#include "model/plainrows.h"

#include <cstring>

#include "model/charcolumn.h"
#include "model/intcolumn.h"
#include "model/table.h"

namespace relalg {

plainrows::plainrows(table& t, const source& ip) {
  for (const auto& c : t.columns) {
    target into;
    if (auto* ints = dynamic_cast<intcolumn*>(c.get())) {
      into.numbers = &ints->values.edit();
    } else {
      auto& chars = dynamic_cast<charcolumn&>(*c);
      into.texts = &chars.readinto(ip);
    }
    targets.push_back(into);
  }
}

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

// An integer as printed: "0", or an optional "-" and up to nine digits without a leading
// zero (longer ones may pass the 32-bit range, and are left to the full reader).
bool plainint(const char*& p, const char* end, int32_t& number) {
  const bool negative = p < end && *p == '-';
  const char* at = p + (negative ? 1 : 0);
  if (at >= end || *at < '0' || *at > '9') return false;
  if (*at == '0') {
    if (negative) return false;  // "-0" prints as "0"
    number = 0;
    p = at + 1;
    return p == end || *p < '0' || *p > '9';  // "07" prints as "7"
  }
  uint32_t value = 0;
  const char* first = at;
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
  while (at < end && *at >= '0' && *at <= '9')
    value = value * 10 + static_cast<uint32_t>(*at++ - '0');
  if (at - first > 9) return false;
  number = negative ? -static_cast<int32_t>(value) : static_cast<int32_t>(value);
  p = at;
  return true;
}

// The first quote or line feed at or after p, or end. Eight bytes are looked at a time while
// eight remain: a byte equal to either gives a zero byte after xor, and the lowest byte whose
// top bit survives (v - 0x01..) & ~v is the first zero byte.
const char* findquote(const char* p, const char* end) {
  constexpr uint64_t ones = 0x0101010101010101ull;
  constexpr uint64_t highs = 0x8080808080808080ull;
  for (; end - p >= 8; p += 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    const uint64_t quotes = word ^ (ones * '\'');
    const uint64_t feeds = word ^ (ones * '\n');
    const uint64_t found = ((quotes - ones) & ~quotes & highs) | ((feeds - ones) & ~feeds & highs);
    if (found) return p + (__builtin_ctzll(found) >> 3);
  }
  while (p < end && *p != '\'' && *p != '\n') ++p;
  return p;
}

// A text as printed: between quotes, holding no quote and no line feed. Answers where its
// bytes begin (p is then past the closing quote), or null.
const char* plaintext(const char*& p, const char* end) {
  if (p >= end || *p != '\'') return nullptr;
  const char* close = findquote(p + 1, end);
  if (close >= end || *close != '\'') return nullptr;
  const char* const first = p + 1;
  p = close + 1;
  return first;
}

}  // namespace

bool plainrows::readrow(const char*& at, const char* end) {
  const char* p = at;
  size_t pushed = 0;  // the columns that took a value of this row
  for (const target& into : targets) {
    bool read;
    if (into.numbers) {
      int32_t number;
      read = plainint(p, end, number);
      if (read) into.numbers->push_back(number);
    } else {
      // A very long text is left to the full reader, which copies it with its length.
      const char* const first = plaintext(p, end);
      const size_t size = first ? static_cast<size_t>(p - 1 - first) : 0;
      read = first != nullptr && size < textref::longtext;
      if (read) into.texts->push_back(textref::shorttext(first, size));
    }
    pushed += read;
    // One comma between values, and the line feed right after the last.
    const char separator = pushed < targets.size() ? ',' : '\n';
    if (!read || p >= end || *p++ != separator) {
      // Not as printed: the values of this row taken so far go back.
      for (size_t k = 0; k < pushed; ++k) {
        if (targets[k].numbers) {
          targets[k].numbers->pop_back();
        } else {
          targets[k].texts->pop_back();
        }
      }
      return false;
    }
  }
  at = p;
  return true;
}

size_t plainrows::readrun(source& ip, std::vector<uint32_t>* starts, size_t most) {
  const std::string_view rest = ip.rest();
  const char* p = rest.data();
  const char* const end = p + rest.size();
  size_t read = 0;
  // A row starts at neither an empty line nor the end.
  while (read < most && p < end && *p != '\n') {
    const char* const row = p;
    if (!readrow(p, end)) break;
    if (starts) starts->push_back(static_cast<uint32_t>(ip.position() + (row - rest.data())));
    ++read;
  }
  ip.moveto(ip.position() + static_cast<size_t>(p - rest.data()));
  return read;
}

}  // namespace relalg
