// Reading rows that stand exactly as printed.
#include "input/quickrows.h"

#include <cstring>

#include "input/values.h"

namespace relalg {

quickrows::quickrows(std::vector<column>& columns, const source& ip) {
  for (column& c : columns) {
    target into;
    if (c.type().holdsintegers()) {
      into.numbers = &c.integerlist();
    } else {
      into.texts = &c.textlist(ip.bytes());
    }
    targets.push_back(into);
  }
}

namespace {

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
const char* printedtext(const char*& p, const char* end) {
  if (p >= end || *p != '\'') return nullptr;
  const char* close = findquote(p + 1, end);
  if (close >= end || *close != '\'') return nullptr;
  const char* const first = p + 1;
  p = close + 1;
  return first;
}

}  // namespace

bool quickrows::readrow(const char*& at, const char* end) {
  const char* p = at;
  size_t pushed = 0;  // the columns that took a value of this row
  for (const target& into : targets) {
    bool read;
    if (into.numbers) {
      int32_t number;
      read = printedint(p, end, number);
      if (read) into.numbers->push_back(number);
    } else {
      // A very long text is left to the full reader, which copies it with its length.
      const char* const first = printedtext(p, end);
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

size_t quickrows::readrun(source& ip, std::vector<uint32_t>* starts, size_t most) {
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
