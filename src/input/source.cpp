// The in-memory input with its reading primitives.
#include "input/source.h"

#include <algorithm>
#include <cstdint>
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

namespace {

// Sixteen bytes looked at together: compilers turn these into single vector instructions.
using bytes16 = unsigned char __attribute__((vector_size(16)));
using flags16 = signed char __attribute__((vector_size(16)));

bool anyset(flags16 f) {
  uint64_t halves[2];
  std::memcpy(halves, &f, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// The sum of the sixteen counts, each at most 255.
size_t total(bytes16 counts) {
  unsigned char each[16];
  std::memcpy(each, &counts, sizeof each);
  size_t sum = 0;
  for (const unsigned char c : each) sum += c;
  return sum;
}

}  // namespace

source::linespan source::linesuntilempty() const {
  if (peek() == '\n') return {0, pos};
  const char* p = text.data() + pos;
  const char* const last = text.data() + text.size();
  // The line feeds before the first one that another follows, which ends the table: sixteen
  // bytes at a time, each compared with the one after it as well.
  size_t feeds = 0;
  bytes16 counts = {};
  int rounds = 0;
  for (; last - p > 16; p += 16) {
    bytes16 here;
    bytes16 next;
    std::memcpy(&here, p, 16);
    std::memcpy(&next, p + 1, 16);
    const flags16 isfeed = here == '\n';
    if (anyset(isfeed & (next == '\n'))) break;
    counts -= (bytes16)isfeed;  // a feed's flag is 255: one more
    if (++rounds == 255) {      // before any count can pass 255
      feeds += total(counts);
      counts = bytes16{};
      rounds = 0;
    }
  }
  feeds += total(counts);
  for (; p < last; ++p) {
    if (*p != '\n') continue;
    if (p + 1 < last && p[1] == '\n') {  // an empty line ends the table
      return {feeds + 1, static_cast<size_t>(p + 1 - text.data())};
    }
    ++feeds;
  }
  return {feeds + 1, text.size()};
}

source source::part(size_t from, size_t to) const {
  source p(*this);
  p.text = text.substr(0, std::min(to, text.size()));
  p.pos = std::min(from, p.text.size());
  return p;
}

}  // namespace relalg
