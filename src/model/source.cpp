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
    : held(std::make_shared<const std::string>(dropcarriagereturns(std::move(input)))),
      text(*held) {}

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

std::string_view source::takeuntil(char stop, char otherstop, char thirdstop, char fourthstop) {
  const size_t start = pos;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == stop || c == otherstop || c == thirdstop || c == fourthstop) break;
    ++pos;
  }
  return text.substr(start, pos - start);
}

source::linespan source::linesuntilempty() const {
  if (peek() == '\n') return {0, pos};
  linespan span{1, text.size()};
  for (size_t at = pos; at < text.size(); ++span.lines) {
    const void* feed = std::memchr(text.data() + at, '\n', text.size() - at);
    if (!feed) break;
    at = static_cast<size_t>(static_cast<const char*>(feed) - text.data()) + 1;
    if (at < text.size() && text[at] == '\n') {  // an empty line ends the table
      span.end = at;
      break;
    }
  }
  return span;
}

source source::part(size_t from, size_t to) const {
  source p(*this);
  p.text = text.substr(0, std::min(to, text.size()));
  p.pos = std::min(from, p.text.size());
  return p;
}

}  // namespace relalg
