// Collecting the reader's silent rules, a few of each kind per table definition.
#include "input/readnotes.h"

#include <algorithm>

namespace relalg {

namespace {

constexpr std::string_view byteordermark = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A type text without the ")" that closes the header, which the last declaration takes.
std::string_view typeword(std::string_view type) {
  type = trimmed(type);
  const auto count = [&](char c) { return std::count(type.begin(), type.end(), c); };
  if (!type.empty() && type.back() == ')' && count(')') > count('(')) type.remove_suffix(1);
  return trimmed(type);
}

bool plainnumber(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

void readnotes::definition(size_t begin) {
  definitions.emplace_back();
  definitions.back().begin = begin;
  declarations = 0;
  pending.clear();
}

void readnotes::dropped(size_t begin, size_t end) {
  definitions.back().dropped = true;
  add({readnote::dropped, 0, -1, -1, begin, end});
}

void readnotes::named(std::string_view name, size_t begin) {
  const size_t end = begin + name.size();
  if (name.find_first_of(" \t") != std::string_view::npos) {
    add({readnote::nameblank, 0, -1, -1, begin, end});
  }
  if (name.find('\n') != std::string_view::npos) add({readnote::namelines, 0, -1, -1, begin, end});
  if (name.find(byteordermark) != std::string_view::npos) {
    add({readnote::namebom, 0, -1, -1, begin, end});
  }
}

void readnotes::declared(std::string_view type, size_t begin, bool parenthesised) {
  const int32_t column = declarations++;
  const std::string_view word = typeword(type);
  const size_t at = begin + static_cast<size_t>(word.data() - type.data());
  const size_t end = at + word.size();
  if (parenthesised) {
    // char(N) with N a plain number is the one text type that reads as it is written.
    const size_t open = word.find('(');
    const size_t close = word.find(')', open);
    const std::string_view width = word.substr(open + 1, close - open - 1);
    const bool written = trimmed(word.substr(0, open)) == "char" && plainnumber(trimmed(width)) &&
                         close == word.size() - 1;
    if (!written) add({readnote::typeaschar, 0, column, -1, at, end});
  } else if (word.empty()) {
    add({readnote::notype, 0, column, -1, begin, begin});
  } else if (word != "int") {
    add({readnote::typeasint, 0, column, -1, at, end});
  }
}

void readnotes::value(readflags flags, int32_t column, int32_t row, size_t begin, size_t end) {
  // A value that only prints otherwise (a "+", leading zeros) reads as it says.
  flags &= static_cast<readflags>(~readflag::reformatted);
  if (flags) pending.push_back({readnote::value, flags, column, row, begin, end});
}

void readnotes::endrow(std::string_view line, size_t begin) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (lookslikeheader(line)) {
    // What the header's fields did as values says nothing more.
    const int32_t row = pending.empty() ? -1 : pending.front().row;
    pending.assign(1, {readnote::headerasrow, 0, -1, row, begin, begin + line.size()});
  }
  for (const readevent& e : pending) add(e);
  pending.clear();
}

void readnotes::add(const readevent& e) {
  definitionnotes& d = definitions.back();
  definitionnotes::tally& t = d.counts[definitionnotes::keyof(e)];
  if (++t.events <= kept) d.events.push_back(e);
  // Events outside rows (a header's columns) count one each.
  if (e.row < 0 || e.row != t.lastrow) ++t.rows;
  t.lastrow = e.row;
}

bool lookslikeheader(std::string_view line) {
  const size_t open = line.find('(');
  if (open == 0 || open == std::string_view::npos) return false;
  if (line.substr(0, open).find_first_of("',") != std::string_view::npos) return false;
  const std::string_view inside = line.substr(open + 1);
  return inside.find("int") != std::string_view::npos ||
         inside.find("char(") != std::string_view::npos;
}

}  // namespace relalg
