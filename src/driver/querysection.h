// The query section at the head of the input: its raw lines and its normalised text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/source.h"

namespace relalg {

struct querysection {
  // Every character of the section as read, echoed at the head of the output.
  std::string kiirandokifejezes;
  // The same without line feeds, tabs, and blanks outside single quotes: the text evaluated.
  std::string kifejezes;
};

// Reads up to the first empty line (or the end of the input), then skips the empty lines
// that follow it, leaving the input at the first table. When linestarts is given, it gets,
// for each line after the first, the length kifejezes had where that line began.
querysection readquerysection(source& ip, std::vector<size_t>* linestarts = nullptr);

}  // namespace relalg
