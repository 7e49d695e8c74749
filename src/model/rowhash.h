// Quick hashes and equality of the short texts and the integers that table values are, and the
// one hash of a row of them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace relalg {

// An integer folded into a hash.
inline uint64_t hashnumber(int32_t number, uint64_t h = 0) {
  h = (h ^ static_cast<uint32_t>(number)) * 0x9e3779b97f4a7c15ull;
  return h ^ (h >> 32);
}

// Bytes of any length, eight at a time: for whole lines, where a byte at a time is slow.
inline uint64_t hashbytes(std::string_view bytes) {
  constexpr uint64_t mix = 0xff51afd7ed558ccdull;
  uint64_t h = bytes.size() * 0x9e3779b97f4a7c15ull;
  const char* p = bytes.data();
  size_t left = bytes.size();
  for (; left >= 8; p += 8, left -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * mix;
    h ^= h >> 32;
  }
  // The last bytes by two overlapping loads, or three single bytes: a copy of a varying
  // length would be made a byte at a time and read back as a word, which stalls.
  if (left >= 4) {
    uint32_t low;
    uint32_t high;
    std::memcpy(&low, p, 4);
    std::memcpy(&high, p + left - 4, 4);
    h = (h ^ (uint64_t{high} << 32 | low)) * mix;
  } else if (left > 0) {
    const auto byte = [&](size_t i) { return uint64_t{static_cast<unsigned char>(p[i])}; };
    h = (h ^ (byte(0) | byte(left / 2) << 8 | byte(left - 1) << 16)) * mix;
  }
  return h ^ (h >> 32);
}

// Whether two texts are equal, a word at a time: no call for the short texts most values are.
// Only bytes within both texts are read; the last word overlaps the one before it.
inline bool sametext(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const char* x = a.data();
  const char* y = b.data();
  size_t n = a.size();
  const auto word = [](const char* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
  };
  const auto half = [](const char* p) {
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
  };
  if (n >= 8) {
    for (; n > 8; x += 8, y += 8, n -= 8) {
      if (word(x) != word(y)) return false;
    }
    return word(x + n - 8) == word(y + n - 8);
  }
  if (n >= 4) return half(x) == half(y) && half(x + n - 4) == half(y + n - 4);
  for (size_t i = 0; i < n; ++i) {
    if (x[i] != y[i]) return false;
  }
  return true;
}

// The hash of a row: its values folded in one after another, each integer as a number and each
// text as its bytes. Rows that hold equal values in columns of the same types hash alike.
class rowhasher {
 public:
  void addinteger(int32_t number) { h = hashnumber(number, h); }
  void addtext(std::string_view text) {
    h = (h ^ hashbytes(text)) * 0x9e3779b97f4a7c15ull;
    h ^= h >> 32;
  }
  uint64_t hash() const { return h; }

 private:
  uint64_t h = 0;
};

}  // namespace relalg
