// Every note of an explanation in one flat list, in the order the text shows them: for
// scripts that count notes or list them without walking the steps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "explain/explanation.h"

namespace relalg {

struct placednote {
  int64_t line = 0;        // as the note's own line: 0 for none
  std::string_view about;  // "input", "table", "step" or "condition"
  std::string_view node;   // the table's name, or the step's or condition's text; empty for input
  std::string_view text;
};

// The input's notes, then each table's, then each step's, root first, a selection's
// condition notes after its own.
std::vector<placednote> everynote(const explanation& e);

}  // namespace relalg
