// Quoting, comment text, distinct names, and the facts of text values.
#include "explain/sqltext.h"

#include <algorithm>

#include "explain/printable.h"

namespace relalg {

namespace {

std::string quoted(std::string_view text, char quote) {
  std::string out(1, quote);
  for (const char c : text) {
    out += c;
    if (c == quote) out += quote;
  }
  out += quote;
  return out;
}

// The first bytes of a text, at most `longest`, not ending inside a UTF-8 character, as
// PostgreSQL cuts a name.
std::string_view leading(std::string_view text, size_t longest) {
  if (text.size() <= longest) return text;
  size_t end = longest;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
  return text.substr(0, end);
}

void keepfirst(std::optional<std::string>& kept, const std::optional<std::string>& other) {
  if (!kept && other) kept = other;
}

}  // namespace

std::string sqlname(std::string_view name) { return quoted(name, '"'); }

std::string sqltext(std::string_view text) { return quoted(text, '\''); }

std::string commentsafe(std::string_view text, size_t room) {
  std::string out;
  size_t i = 0;
  while (i < text.size() && i < room) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const size_t length = utf8length(text, i);
    if (byte < 32 || byte == 127 || length == 0) {
      out += '?';  // a control byte, or one that is not UTF-8, which engines refuse
      ++i;
    } else {
      out += text.substr(i, length);
      i += length;
    }
  }
  if (i < text.size()) out += "...";
  return out;
}

std::string foldcase(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

size_t longestname(sqldialect dialect) {
  return dialect == sqldialect::postgres ? 63 : std::string::npos;
}

std::vector<std::string> distinctnames(const std::vector<std::string_view>& names,
                                       std::unordered_set<std::string>& taken, size_t longest) {
  const auto key = [longest](std::string_view name) { return foldcase(leading(name, longest)); };
  std::vector<std::string> out;
  for (size_t k = 0; k < names.size(); ++k) {
    std::string name(names[k]);
    for (std::string suffix = '_' + std::to_string(k + 1); taken.count(key(name)); suffix += '_') {
      name = std::string(leading(names[k], longest - suffix.size())) + suffix;
    }
    taken.insert(key(name));
    out.push_back(std::move(name));
  }
  return out;
}

bool readsbeyond32(std::string_view text) {
  size_t i = 0;
  // atoi's white space and sign, then its digits.
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const int64_t limit = negative ? int64_t{2147483648} : int64_t{2147483647};
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) return true;
  }
  return false;
}

bool plaininteger(std::string_view text) {
  const size_t start = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  return text.size() > start &&
         std::all_of(text.begin() + static_cast<ptrdiff_t>(start), text.end(),
                     [](char c) { return c >= '0' && c <= '9'; }) &&
         !readsbeyond32(text);
}

bool hashighbyte(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) > 127; });
}

bool validutf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t length = utf8length(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

void textfacts::add(std::string_view value) {
  if (!highbyte && hashighbyte(value)) highbyte = std::string(value);
  if (!beyond32 && readsbeyond32(value)) beyond32 = std::string(value);
  if (!notplain && !plaininteger(value)) notplain = std::string(value);
  if (!quoted && !value.empty() && value.front() == '\'') quoted = std::string(value);
}

void textfacts::merge(const textfacts& other) {
  keepfirst(highbyte, other.highbyte);
  keepfirst(beyond32, other.beyond32);
  keepfirst(notplain, other.notplain);
  keepfirst(quoted, other.quoted);
}

}  // namespace relalg
