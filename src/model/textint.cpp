// Conversions between texts and 32-bit integers.
#include "model/textint.h"

#include <charconv>
#include <limits>

namespace relalg {

namespace {

bool iswhite(char c) {
  // The C locale's white space, as atoi skips it.
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

intreading readint(std::string_view text) {
  intreading r;
  size_t i = 0;
  while (i < text.size() && iswhite(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The magnitude stops growing once past the range, so long digit runs cannot overflow.
  const int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  const size_t firstdigit = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude <= limit) magnitude = magnitude * 10 + (text[i] - '0');
  }
  r.digits = i > firstdigit;
  r.trailing = r.digits && i < text.size();
  const int64_t number = negative ? -magnitude : magnitude;
  r.saturated =
      number > std::numeric_limits<int32_t>::max() || number < std::numeric_limits<int32_t>::min();
  if (r.saturated) {
    r.number = negative ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
  } else {
    r.number = static_cast<int32_t>(number);
  }
  return r;
}

std::string_view inttotext(int32_t number, intbuffer& buffer) {
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, number).ptr;
  return std::string_view(buffer, static_cast<size_t>(end - buffer));
}

void appendint(std::string& out, int32_t number) {
  intbuffer buffer;
  out += inttotext(number, buffer);
}

}  // namespace relalg
