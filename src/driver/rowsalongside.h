// Printing a large table's rows on two threads, in the order one thread would print them.
#pragma once

#include <cstddef>
#include <functional>

#include "driver/printbuffer.h"

namespace relalg {

// Prints rows from first up to last into a buffer.
using rowprinter = std::function<void(printbuffer& into, size_t first, size_t last)>;

// Prints `rows` rows into out with put; when split, from many rows on, a second thread prints
// ranges of them into buffers that this thread writes in turn. When no thread or buffer can
// be had, all rows are printed here.
void putrowsalongside(size_t rows, bool split, const rowprinter& put, printbuffer& out);

}  // namespace relalg
