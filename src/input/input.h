// The input layer's entry point: an input file's bytes to its query and its tables.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "input/readnotes.h"
#include "model/table.h"

namespace relalg {

// An input file as read.
struct input {
  // The query section as written, echoed at the head of the output.
  std::string querylines;
  // The query without line feeds, tabs, and blanks outside single quotes: the text evaluated.
  std::string query;
  // For each query line after the first, the length the query had where that line began.
  std::vector<size_t> linestarts;
  // The input tables, in input order.
  std::vector<table> tables;
  // The bytes read, a carriage return before each line feed dropped: the tables' texts and
  // lines lie in them.
  std::shared_ptr<const std::string> bytes;
};

// Reads the query section and every table. The notes, when given, are told every rule the
// reader applied silently; reading without them takes the fast paths.
input readinput(std::string bytes, readnotes* notes = nullptr);

}  // namespace relalg
