// Sorting rows by 32-bit keys, each row packed with its key into one word.
#include "model/keysort.h"

#include <algorithm>

namespace relalg {

void sortbykey(std::vector<uint64_t>& words, std::vector<uint64_t>& scratch) {
  if (words.size() < 64) {
    std::sort(words.begin(), words.end());
    return;
  }
  const auto [low, high] = std::minmax_element(words.begin(), words.end());
  const uint32_t least = static_cast<uint32_t>(*low >> 32);
  const uint32_t spread = static_cast<uint32_t>(*high >> 32) - least;
  scratch.resize(words.size());
  for (int shift = 0; shift < 32 && (uint64_t{spread} >> shift) > 0; shift += 8) {
    const auto digit = [&](uint64_t word) {
      return (static_cast<uint32_t>(word >> 32) - least) >> shift & 0xffu;
    };
    size_t start[257] = {};
    for (const uint64_t word : words) ++start[digit(word) + 1];
    for (size_t d = 1; d < 257; ++d) start[d] += start[d - 1];
    for (const uint64_t word : words) scratch[start[digit(word)]++] = word;
    words.swap(scratch);
  }
}

}  // namespace relalg
