// The query section at the head of the input: its lines as written and its normalised text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "input/source.h"

namespace relalg {

struct querysection {
  // Every character of the section as read, echoed at the head of the output.
  std::string written;
  // The same without line feeds, tabs, and blanks outside single quotes: the text evaluated.
  std::string query;
  // For each line after the first, the length the query had where that line began.
  std::vector<size_t> linestarts;
};

// Reads up to the first empty line (or the end of the input), then skips the empty lines
// that follow it, leaving the input at the first table.
querysection readquerysection(source& ip);

}  // namespace relalg
