// Explaining one input: reading it and evaluating its query exactly as relalg does, with
// every step's value and every silent rule noted.
#pragma once

#include <cstdint>
#include <string>

#include "explain/explanation.h"

namespace relalg {

// The explanation of an input file's bytes, showing the first `shown` rows of each value.
explanation explain(std::string input, int32_t shown);

// The explanation of an input for its notes alone: its steps' rows are not their values'.
explanation explainfornotes(std::string input);

// The same as one JSON document: what a web page asks for.
std::string explainjson(std::string input, int32_t shown = 5);

}  // namespace relalg
