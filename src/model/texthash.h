// Quick hashes of the short texts and the integers that table values are.
#pragma once

#include <cstdint>
#include <string_view>

namespace relalg {

inline uint64_t hashtext(std::string_view text, uint64_t h = 14695981039346656037ull) {
  for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;  // FNV-1a
  return h ^ (h >> 29);
}

// An integer folded into a hash.
inline uint64_t hashnumber(int32_t number, uint64_t h = 0) {
  h = (h ^ static_cast<uint32_t>(number)) * 0x9e3779b97f4a7c15ull;
  return h ^ (h >> 32);
}

}  // namespace relalg
