// The most rows a table can hold: row indices are signed 32-bit integers.
#pragma once

#include <cstdint>
#include <new>

namespace relalg {

// The row count of a result about to be built, refused as memory exhausted when it passes the
// limit, before anything is allocated for it.
inline int32_t checkedrowcount(uint64_t rows) {
  if (rows > INT32_MAX) throw std::bad_alloc();
  return static_cast<int32_t>(rows);
}

}  // namespace relalg
