// Writing a table into the output: its header line, its rows and the empty line after it.
#pragma once

#include "model/table.h"
#include "output/printbuffer.h"

namespace relalg {

// Prints a table. When split, a large table's rows that print value by value or as joined
// lines are printed in ranges on two threads: a second thread prints every other range into
// buffers that this thread writes in turn, in the order one thread would print them.
void writetable(const table& t, printbuffer& out, bool split);

}  // namespace relalg
