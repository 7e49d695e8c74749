// Printing a large table's rows on two threads, in the order one thread would print them.
#pragma once

#include "driver/printbuffer.h"
#include "model/table.h"

namespace relalg {

// Prints t's rows into out as out.putrows does; from many rows on, a second thread prints
// ranges of them into buffers that this thread writes in turn. When no thread or buffer can
// be had, all rows are printed here.
void putrowsalongside(const table& t, printbuffer& out);

}  // namespace relalg
