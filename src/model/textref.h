// A text value in eight bytes: where its bytes lie and, for all but very long texts, how many.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace relalg {

// A view of a text's bytes, which lie elsewhere and must outlive it, in half the room of a
// string_view: a column of a million texts saves eight megabytes. The address takes the low
// 48 bits, which hold every address a program is given here; the length the high 16. A text
// of `longtext` bytes or more is kept as a record: its length in eight bytes, then its bytes.
class textref {
 public:
  // Texts this long or longer are kept as records.
  static constexpr size_t longtext = 0xffff;

  textref() = default;  // the empty text

  // A text of fewer than longtext bytes.
  static textref shorttext(const char* bytes, size_t size) {
    return textref(address(bytes) | static_cast<uint64_t>(size) << 48);
  }
  // A text kept as a record: its length, then its bytes.
  static textref record(const char* at) {
    return textref(address(at) | static_cast<uint64_t>(longtext) << 48);
  }

  std::string_view view() const {
    const auto size = static_cast<size_t>(bits >> 48);
    const char* at = reinterpret_cast<const char*>(static_cast<uintptr_t>(bits & addressbits));
    if (size < longtext) return std::string_view(at, size);
    uint64_t length;
    std::memcpy(&length, at, sizeof length);
    return std::string_view(at + sizeof length, static_cast<size_t>(length));
  }

 private:
  static constexpr uint64_t addressbits = (uint64_t{1} << 48) - 1;
  uint64_t bits = 0;

  explicit textref(uint64_t both) : bits(both) {}

  static uint64_t address(const char* at) {
    const auto value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(at));
    // Never met on the systems this runs on; refused as memory that cannot be used.
    if (value > addressbits) throw std::length_error("an address past 48 bits");
    return value;
  }
};

}  // namespace relalg
