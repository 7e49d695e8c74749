// UTF-8 sequences, escapes of what cannot be shown, and cutting texts to a width.
#include "explain/printable.h"

namespace relalg {

namespace {

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The number of characters a text shows: bytes that start no UTF-8 continuation.
size_t characters(std::string_view s) {
  size_t n = 0;
  for (const char c : s) n += !continuation(static_cast<unsigned char>(c));
  return n;
}

// The byte index after the first `count` characters of s.
size_t bytesof(std::string_view s, size_t count) {
  size_t i = 0;
  for (size_t seen = 0; i < s.size(); ++i) {
    if (!continuation(static_cast<unsigned char>(s[i])) && seen++ == count) break;
  }
  return i;
}

}  // namespace

size_t utf8length(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80;   // the range of the second byte, which rules out overlong forms,
  unsigned char high = 0xBF;  // surrogates and code points past U+10FFFF
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  const auto second = static_cast<unsigned char>(s[i + 1]);
  if (second < low || second > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (!continuation(static_cast<unsigned char>(s[i + k]))) return 0;
  }
  return length;
}

std::string visible(std::string_view s) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t length = utf8length(s, i);
    if (length == 0 || c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
      ++i;
      continue;
    }
    out.append(s, i, length);
    i += length;
  }
  return out;
}

std::string cut(std::string_view visibletext, size_t width) {
  if (characters(visibletext) <= width) return std::string(visibletext);
  const size_t kept = width > 3 ? width - 3 : 0;
  return std::string(visibletext.substr(0, bytesof(visibletext, kept))) + "...";
}

std::string quoted(std::string_view s, size_t width) {
  // Cut before escaping, so an escape is never cut in half.
  const size_t end = bytesof(s, width);
  std::string shown = visible(s.substr(0, end));
  if (end < s.size()) shown += "...";
  return "\"" + shown + "\"";
}

}  // namespace relalg
