// One whole run on bytes in memory: the query section, the tables, the evaluation, the output.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/table.h"

namespace relalg {

struct evaluated {
  std::string kiirandokifejezes;
  // The input tables in input order, then the result table.
  std::vector<table> tables;
};

// Reads the whole input and evaluates its query; the input text is released before the
// evaluation starts.
evaluated evaluateinput(std::string input);

// Writes the output file's bytes: the raw query lines, one line feed, then every table.
void writeoutput(const evaluated& run, std::ostream& op);

// Both steps, into a text: the output file that the input gives.
std::string run(std::string_view input);

}  // namespace relalg
