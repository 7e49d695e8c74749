// The notes about the input as read: each table with the rules its reader applied silently,
// and what concerns the query section or the file as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "explain/explanation.h"
#include "input/input.h"
#include "input/readnotes.h"

namespace relalg {

// What reading the input left behind.
struct inputread {
  const input& read;
  std::string_view text;        // the input, carriage returns before line feeds dropped
  std::vector<size_t> dropped;  // where each carriage return stood, as positions in text
  const readnotes& notes;
};

// A line that looks like a table header but was read as a row: the name it gives, its line.
using headerasrow = std::pair<std::string, int64_t>;

// Fills the tables and the notes of the input as a whole; answers the lines read as rows
// that look like headers.
std::vector<headerasrow> explainreading(const inputread& input, explanation& e);

}  // namespace relalg
