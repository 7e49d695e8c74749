// One whole run on bytes in memory: the input read, the query evaluated, the output printed.
#pragma once

#include <string>
#include <string_view>

#include "input/input.h"
#include "model/table.h"
#include "output/printbuffer.h"

namespace relalg {

// Evaluates the query over the input tables, which it leaves as they are: the result table.
table evaluatequery(const input& in);

// Prints the head of the output file: the query lines as written, one line feed, every input
// table.
void writehead(const input& in, printbuffer& out);
// Prints the result table after the head, and hands the whole output to its stream.
void writeresult(const table& result, printbuffer& out);

// All the steps, into a text: the output file that the input gives.
std::string run(std::string_view bytes);

}  // namespace relalg
