// The command line of relalg-explain: what to write, how many rows, which input.
#pragma once

#include <cstdint>
#include <string>

#include "explain/sql.h"

namespace relalg {

enum class outputform { text, json, latex, sql };

struct options {
  outputform form = outputform::text;
  int32_t rows = 5;  // the first rows shown of each step's value
  sqloptions sql;
  std::string input;
  bool help = false;
  bool failonnotes = false;  // exit 1 when the explanation holds a note
};

// The options of a command line, or false with the reason when it is not one.
bool parseoptions(int argc, const char* const* argv, options& parsed, std::string& error);

// The usage lines, ending in a line feed.
std::string usage();

}  // namespace relalg
