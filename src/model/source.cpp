// The in-memory input with its reading primitives.
#include "model/source.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace relalg {

namespace {

// Compacts the text in place, so that a large input is never held twice.
std::string dropcarriagereturns(std::string text) {
  const void* first = std::memchr(text.data(), '\r', text.size());
  if (!first) return text;
  size_t kept = static_cast<size_t>(static_cast<const char*>(first) - text.data());
  for (size_t i = kept; i < text.size(); ++i) {
    // Only a carriage return that ends a line goes; any other is an ordinary character.
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    text[kept++] = text[i];
  }
  text.resize(kept);
  return text;
}

}  // namespace

source::source(std::string input)
    : held(std::make_shared<const std::string>(dropcarriagereturns(std::move(input)))), text(*held) {}

bool source::read(char& c) {
  if (pos >= text.size()) return false;
  c = text[pos++];
  return true;
}

std::string_view source::takeuntil(char stop) {
  const size_t start = pos;
  const void* hit = std::memchr(text.data() + pos, stop, text.size() - pos);
  pos = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
  return text.substr(start, pos - start);
}

// Scanning for the end of a value is the hot loop of reading large tables: plain comparisons.
std::string_view source::takeuntil(char stop, char otherstop) {
  const size_t start = pos;
  while (pos < text.size() && text[pos] != stop && text[pos] != otherstop) ++pos;
  return text.substr(start, pos - start);
}

std::string_view source::takeuntil(char stop, char otherstop, char thirdstop, char fourthstop) {
  const size_t start = pos;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == stop || c == otherstop || c == thirdstop || c == fourthstop) break;
    ++pos;
  }
  return text.substr(start, pos - start);
}

size_t source::linesuntilempty() const {
  const std::string_view rest = text.substr(pos);
  const size_t end = std::min(rest.find("\n\n"), rest.size());
  return static_cast<size_t>(std::count(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(end), '\n')) + 1;
}

}  // namespace relalg
