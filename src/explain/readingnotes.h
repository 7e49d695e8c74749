// The notes about the input as read: each table with the rules its reader applied silently,
// and what concerns the query section or the file as a whole.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "explain/explanation.h"
#include "model/readnotes.h"
#include "model/table.h"

namespace relalg {

// What reading the input left behind.
struct inputread {
  std::string_view text;               // the input, carriage returns before line feeds dropped
  std::vector<size_t> dropped;         // where each carriage return stood, as positions in text
  std::string_view kiirandokifejezes;  // the query section as read, from position 0
  std::string_view kifejezes;
  std::vector<table> tables;
  readnotes notes;
};

// Fills the tables and the notes of the input as a whole.
void explainreading(const inputread& input, explanation& e);

}  // namespace relalg
