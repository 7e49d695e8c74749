// A quick hash of the short texts that table values are.
#pragma once

#include <cstdint>
#include <string_view>

namespace relalg {

inline uint64_t hashtext(std::string_view text, uint64_t h = 14695981039346656037ull) {
  for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;  // FNV-1a
  return h ^ (h >> 29);
}

}  // namespace relalg
