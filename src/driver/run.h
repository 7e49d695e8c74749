// One whole run on bytes in memory: the query section, the tables, the evaluation, the output.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "driver/printbuffer.h"
#include "model/table.h"

namespace relalg {

// An input as read: the query section and the input tables, in input order.
struct parsed {
  std::string kiirandokifejezes;
  std::string kifejezes;
  std::vector<table> tables;
};

// Reads the query section and every table of the input.
parsed readwhole(std::string input);

// Evaluates the query over the input tables, which it leaves as they are: the result table.
table evaluatequery(const parsed& in);

// Prints the head of the output file: the raw query lines, one line feed, every input table.
void writehead(const parsed& in, printbuffer& out);
// Prints the result table after the head, and hands the whole output to its stream.
void writeresult(const table& result, printbuffer& out);

// All the steps, into a text: the output file that the input gives.
std::string run(std::string_view input);

}  // namespace relalg
