// Sorting rows by 32-bit keys, each row packed with its key into one word.
#pragma once

#include <cstdint>
#include <vector>

namespace relalg {

// A row and its key in one word, key above: sorting the words sorts by key, and reads them
// in sequence instead of fetching each row's key from afar.
inline uint64_t keyed(uint32_t key, int32_t row) {
  return uint64_t{key} << 32 | static_cast<uint32_t>(row);
}
inline uint32_t keyof(uint64_t word) { return static_cast<uint32_t>(word >> 32); }
inline int32_t rowof(uint64_t word) { return static_cast<int32_t>(word & 0xffffffffu); }

// Sorts keyed rows by key: a radix sort on the key bytes that differ, a plain sort when few.
void sortbykey(std::vector<uint64_t>& words, std::vector<uint64_t>& scratch);

}  // namespace relalg
