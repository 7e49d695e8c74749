// The in-memory input with its reading primitives.
#include "model/source.h"

#include <cstring>
#include <utility>

namespace relalg {

namespace {

// Compacts the text in place, so that a large input is never held twice.
std::string dropcarriagereturns(std::string text) {
  size_t kept = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // Only a carriage return that ends a line goes; any other is an ordinary character.
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    text[kept++] = text[i];
  }
  text.resize(kept);
  return text;
}

}  // namespace

source::source(std::string input) : text(dropcarriagereturns(std::move(input))) {}

bool source::read(char& c) {
  if (pos >= text.size()) return false;
  c = text[pos++];
  return true;
}

std::string_view source::takeuntil(std::string_view stops) {
  const size_t start = pos;
  const char* data = text.data();
  const size_t size = text.size();
  // Scanning for one or two stop characters is the hot loop of reading large tables.
  if (stops.size() == 1) {
    const void* hit = std::memchr(data + pos, stops[0], size - pos);
    pos = hit ? static_cast<size_t>(static_cast<const char*>(hit) - data) : size;
  } else {
    while (pos < size && stops.find(data[pos]) == std::string_view::npos) ++pos;
  }
  return std::string_view(data + start, pos - start);
}

}  // namespace relalg
